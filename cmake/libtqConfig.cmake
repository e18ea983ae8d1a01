# The installed libtq: the runtime libraries (libtq::libtq, libtq::libtq_main), the compiler
# (libtq::tqc) and libtq_add_basic_program(NAME SOURCE.bas).
include(CMakeFindDependencyMacro)
find_dependency(Threads)
set(OpenGL_GL_PREFERENCE GLVND)
find_dependency(OpenGL COMPONENTS OpenGL GLX)
find_dependency(GLUT)
find_dependency(GLEW)
find_dependency(X11)
include(${CMAKE_CURRENT_LIST_DIR}/libtqTargets.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/LibtqBasic.cmake)
