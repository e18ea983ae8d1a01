# libtq_add_basic_program(NAME SOURCE.bas): an executable NAME compiled by tqc from a program in
# the dialect and linked with libtq. It works in this source tree and in projects that use an
# installed libtq through find_package(libtq).
function(libtq_add_basic_program name source)
  get_filename_component(source_path ${source} ABSOLUTE)
  set(module ${CMAKE_CURRENT_BINARY_DIR}/${name}.bas.cpp)
  if(TARGET libtq::tqc)
    set(compiler libtq::tqc)
    set(entry libtq::libtq_main)
  else()
    set(compiler tqc)
    set(entry libtq_main)
  endif()
  add_custom_command(OUTPUT ${module}
                     COMMAND ${compiler} --emit-cpp ${source_path} -o ${module}
                     DEPENDS ${source_path} ${compiler}
                     COMMENT "Compiling ${source} with tqc"
                     VERBATIM)
  add_executable(${name} ${module})
  set_target_properties(${name} PROPERTIES CXX_STANDARD 20 CXX_STANDARD_REQUIRED ON)
  target_link_libraries(${name} PRIVATE ${entry})
endfunction()
