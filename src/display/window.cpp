// The window: its creation on the main thread, the window thread's event loop and its idle step.
//
// The main thread becomes the window thread: it creates the window, starts the housekeeping
// thread and then runs the event loop for the rest of the process. Each pass of the loop lets
// freeglut handle whatever events are waiting (input callbacks, reshape, the display callback that
// presents a frame) and then runs the idle step, which executes the other threads' window requests
// and paces presentation at `max_fps`. Between steps the thread sleeps until something needs it:
// input on the window's connection (a key press runs its callback at once), a frame the composer
// marked ready (shown at once, unless the last presentation was less than a period ago), or a
// request from another thread.
// GLEW's header must come before any other OpenGL header.
#include <GL/glew.h>

#include <GL/freeglut.h>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "display/window_internal.h"
#include "libtq.h"
#include "platform/platform.h"

std::atomic<int32_t> screen_hide{0};
void *window_handle = nullptr;
void *generic_window_handle = nullptr;
int32_t ScreenResize = 0;
int32_t ScreenResizeScale = 0;
int32_t framebufferobjects_supported = 0;

namespace {

completion window_start; // the main thread waits on it when the window is shown later
std::atomic<completion *> window_requester{nullptr};

void ignore_glut_message(const char *, va_list) {}

void report_close_request() { zorv_custom_event(1); }
void report_expose() { window_exposed = true; }
void report_configure() { window_geometry_changed = true; }

// Presentation is paced at `max_fps`: the earliest time (GetTicks milliseconds) at which the next
// one may begin. A steady stream of frames keeps to a grid of periods; a frame that comes later
// than a period after its slot begins a new grid.
double next_presentation = 0;
// The longest wait of an idle window thread. Everything it serves wakes it (input, a ready frame,
// a queued request, a full-screen request); this bounds the wait should a wake ever be missed.
constexpr double IDLE_WAIT_MS = 1000;

} // namespace

void ZORV_Window_Handle(void *handle) {
    window_handle = handle;
    generic_window_handle = handle;
}

int32_t ZORV_Resizable() { return ScreenResize; }

void create_window(int argc, char **argv) {
    glutInitErrorFunc(ignore_glut_message);
    glutInitWarningFunc(ignore_glut_message);
    const std::string problem = plat::display_problem();
    if (!problem.empty()) {
        std::fprintf(stderr, "%s: %s\n", argc > 0 && argv[0] ? argv[0] : "program", problem.c_str());
        plat::exit_process(1);
    }
    glutInit(&argc, argv);
    // A frame is drawn as one axis-aligned textured rectangle, so multisampling changes none of its
    // pixels, while it makes every presentation much dearer with a software renderer: the window is
    // made without it. ZORVEX_WINDOW_MULTISAMPLE=1 asks for it all the same.
    const char *multisample = std::getenv("ZORVEX_WINDOW_MULTISAMPLE");
    const bool multisampled = multisample && std::strcmp(multisample, "1") == 0;
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH | (multisampled ? GLUT_MULTISAMPLE : 0));
    glutInitWindowSize(640, 400);
    if (!glutGet(GLUT_DISPLAY_MODE_POSSIBLE)) {
        std::fprintf(stderr, "%s: the display offers no double-buffered RGBA mode with a depth buffer\n",
                     argc > 0 && argv[0] ? argv[0] : "program");
        plat::exit_process(1);
    }
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    char *title = window_title.load();
    glutCreateWindow(title ? title : "Untitled");
    ZORV_Window_Handle(plat::current_native_window());
    plat::intercept_window_events(report_close_request, report_expose, report_configure);
    if (!ZORV_Resizable()) plat::set_window_size_hints(false, 640, 400);

    GLenum glew = glewInit();
    if (glew != GLEW_OK) {
        gui_alert(reinterpret_cast<const char *>(glewGetErrorString(glew)), "Alert", "ok");
    }
    if (glewIsSupported("GL_EXT_framebuffer_object")) framebufferobjects_supported = 1;

    glutDisplayFunc(GLUT_DISPLAY_REQUEST);
    glutIdleFunc(GLUT_IDLEFUNC);
    glutKeyboardFunc(GLUT_KEYBOARD_FUNC);
    glutKeyboardUpFunc(GLUT_KEYBOARDUP_FUNC);
    glutSpecialFunc(GLUT_SPECIAL_FUNC);
    glutSpecialUpFunc(GLUT_SPECIALUP_FUNC);
    glutMouseFunc(GLUT_MOUSE_FUNC);
    glutMotionFunc(GLUT_MOTION_FUNC);
    glutPassiveMotionFunc(GLUT_PASSIVEMOTION_FUNC);
    glutReshapeFunc(GLUT_RESHAPE_FUNC);
    glutMouseWheelFunc(GLUT_MOUSEWHEEL_FUNC);
    // Should a close request ever reach freeglut, it still only asks the program to end.
    glutCloseFunc(report_close_request);
    glut_is_up = true;
}

bool libtq_is_glut_up() { return glut_is_up.load(); }

void libtq_glut_presetup(int argc, char **argv) {
    if (screen_hide.load()) {
        completion_init(&window_start);
        return;
    }
    create_window(argc, argv);
}

void libtq_start_main_thread(int argc, char **argv) {
    libtq_thread_start(libtq_thread_new(), MAIN_LOOP, nullptr);
    if (!glut_is_up.load()) {
        completion_wait(&window_start);
        create_window(argc, argv);
        if (completion *waiting = window_requester.load()) completion_finish(waiting);
    }
    present_warm_up();
    for (;;) {
        glutMainLoopEvent();
        GLUT_IDLEFUNC();
    }
}

void libtq_start_glut_thread() {
    if (glut_is_up.load()) return;
    completion mine;
    completion_init(&mine);
    window_requester = &mine;
    completion_finish(&window_start);
    completion_wait(&mine);
    completion_clear(&mine);
}

void GLUT_IDLEFUNC() {
    libtq_process_glut_queue();
    const double period = 1000.0 / max_fps.load();
    const double now = static_cast<double>(GetTicks());
    const bool due = presentation_due();
    if (due && now >= next_presentation) {
        next_presentation = now - next_presentation < period ? next_presentation + period : now + period;
        glutPostRedisplay();
        return;
    }
    // Input ends the wait so that its callback runs now; a frame that becomes ready, or a request
    // queued for this thread, ends it so that it is served now. The presentation still waits for
    // its time when one was made less than a period ago.
    const double wait = due ? next_presentation - now : IDLE_WAIT_MS;
    plat::wait_for_window_events(static_cast<int64_t>(std::ceil(wait)));
}

void zorv_custom_event(int32_t type, int64_t a, int64_t b, int64_t, int64_t, int64_t, int64_t, int64_t, int64_t, void *,
                       void *) {
    if (type == 1) exit_value.fetch_or(1);
    if (type == 2) keyboard_custom_key(a, b);
}

int32_t func__exit() {
    exit_blocked = 1;
    int32_t value = exit_value.load();
    if (value) exit_value.fetch_and(~value);
    return value;
}
