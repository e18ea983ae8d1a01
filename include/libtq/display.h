// The display: composed frames, the window and its requests, and the window statements.
//
// Three threads meet here. The program thread runs the statements and asks the window thread for
// window work through the request queue; the housekeeping thread composes the display page into
// frames; the window thread (the process's main thread, running the freeglut loop) presents them.
// Only the window thread calls freeglut or OpenGL.
#pragma once

#include "libtq/common.h"
#include "libtq/frame.h"
#include "libtq/screen.h"

// ---- composed frames -------------------------------------------------------------------------------
// Three buffers pass frames from the composer to the presenter without a lock: each side changes
// only the records it owns by state, and `state` and `order` are atomic.
//
// The composer is display(): on the housekeeping thread while `autodisplay` is not 0, on the
// program thread in manual display mode. The `autodisplay` handshake hands composition from one to
// the other (_DISPLAY waits until the housekeeping thread has confirmed the switch, and that thread
// composes no more until _AUTODISPLAY), so the composer's own values below are never used by two
// threads at once.

constexpr int32_t FRAME_FREE = 1;      // nobody's
constexpr int32_t FRAME_COMPOSING = 2; // owned by the composer
constexpr int32_t FRAME_READY = 3;     // composed, not shown yet
constexpr int32_t FRAME_SHOWN = 4;     // owned by the presenter

struct display_frame_struct {
    std::atomic<int32_t> state; // changed by compare-and-swap where both sides may change it
    std::atomic<int64_t> order; // the composition attempt that last claimed the record
    // Written by the composer while the record is composing, read by the presenter only while it is
    // shown: the state's store and load hand them over.
    uint32_t *bgra; // 0xAARRGGBB pixels, rows top to bottom; grows, never shrinks
    int32_t w, h;
    int32_t bytes; // size of the bgra block
};
extern display_frame_struct display_frame[3];

// Counts composition attempts (the composer).
extern std::atomic<int64_t> display_frame_order_next;
// The order of the latest attempt, whether it produced a frame or not. Composer writes; the
// presenter reads.
extern std::atomic<int64_t> last_hardware_display_frame_order;
// Set to 1 by the composer after each attempt; display_now (program thread) clears it and waits.
extern std::atomic<int32_t> display_called;
// The window is hidden: composition does nothing. Set before start-up; read by every thread.
extern std::atomic<int32_t> screen_hide;
// Makes the next attempt produce a frame. Set by _FULLSCREEN (program thread) and Alt+Enter (window
// thread); cleared by the composer.
extern std::atomic<int32_t> force_display_update;
// The size of the frame being composed, and the palette of the last one. The composer's own.
extern int32_t x_monitor, y_monitor;
extern uint32_t paldata[256];
// 1: attribute bit 7 blinks text; 0: it is the fourth background bit. _BLINK (program thread)
// writes; the composer reads.
extern std::atomic<int32_t> H3C0_blink_enable;

void display();
// Composition on demand. The program thread calls composition_request as it begins to wait; the
// housekeeping thread pauses between the steps of its cycle with housekeeping_pause, which composes
// at once when asked (at most once per presentation period), and composes the cycle's frames with
// compose_for_cycle, which also answers a request made before it.
void composition_request();
void housekeeping_pause(int64_t ms);
void compose_for_cycle();
// While the program thread waits (between program_wait_begins and program_wait_ends, program
// thread) and its picture stands still, the housekeeping thread's cycle has nothing to do:
// housekeeping_rest, at the top of the cycle, returns once the wait ended or the program is to end,
// serving requests meanwhile.
void program_wait_begins();
void program_wait_ends();
void housekeeping_rest();
void sub__display();
void sub__autodisplay();
int32_t func__autodisplay();
void display_now();

// ---- window requests ---------------------------------------------------------------------------------
// A request from any other thread to the window thread. The sender fills it before it queues it and
// the window thread executes it, both under the queue's lock. A request someone waits for carries a
// completion: what the window thread writes into it (a response) is the sender's once its wait
// returns; the sender owns the request and destroys it afterwards.

struct glut_message {
    completion *finished;
    explicit glut_message(bool wait);
    virtual ~glut_message();
    virtual void execute() = 0;
    void wait_for_response();
    glut_message(const glut_message &) = delete;
    glut_message &operator=(const glut_message &) = delete;
};
struct glut_message_set_cursor : glut_message {
    int32_t style;
    explicit glut_message_set_cursor(int32_t s) : glut_message(false), style(s) {}
    void execute() override;
};
struct glut_message_warp_pointer : glut_message {
    int32_t x, y;
    glut_message_warp_pointer(int32_t px, int32_t py) : glut_message(false), x(px), y(py) {}
    void execute() override;
};
struct glut_message_get : glut_message {
    int32_t id;
    int32_t response_value = 0;
    explicit glut_message_get(int32_t i) : glut_message(true), id(i) {}
    void execute() override;
};
struct glut_message_iconify_window : glut_message {
    glut_message_iconify_window() : glut_message(false) {}
    void execute() override;
};
struct glut_message_position_window : glut_message {
    int32_t x, y;
    glut_message_position_window(int32_t px, int32_t py) : glut_message(false), x(px), y(py) {}
    void execute() override;
};
struct glut_message_show_window : glut_message {
    glut_message_show_window() : glut_message(false) {}
    void execute() override;
};
struct glut_message_hide_window : glut_message {
    glut_message_hide_window() : glut_message(false) {}
    void execute() override;
};
struct glut_message_set_window_title : glut_message {
    char *title;
    explicit glut_message_set_window_title(const char *text);
    ~glut_message_set_window_title() override;
    void execute() override;
};
struct glut_message_exit_program : glut_message {
    int32_t code;
    explicit glut_message_exit_program(int32_t c) : glut_message(true), code(c) {}
    void execute() override;
};

void libtq_queue_glut_message(glut_message *message);
void libtq_process_glut_queue();
void libtq_glut_set_cursor(int32_t style);
void libtq_glut_warp_pointer(int32_t x, int32_t y);
void libtq_glut_iconify_window();
void libtq_glut_position_window(int32_t x, int32_t y);
void libtq_glut_show_window();
void libtq_glut_hide_window();
void libtq_glut_set_window_title(const char *title);
int32_t libtq_glut_get(int32_t id);
[[noreturn]] void libtq_glut_exit_program(int32_t code);

// ---- the window ------------------------------------------------------------------------------------------

bool libtq_is_glut_up();
void libtq_glut_presetup(int argc, char **argv);
[[noreturn]] void libtq_start_main_thread(int argc, char **argv);
void libtq_start_glut_thread();

// freeglut callbacks (window thread).
void GLUT_IDLEFUNC();
void GLUT_DISPLAY_REQUEST();
void GLUT_RESHAPE_FUNC(int width, int height);

// Custom events reported by the window layer; type 1 is the close button.
void zorv_custom_event(int32_t type, int64_t a = 0, int64_t b = 0, int64_t c = 0, int64_t d = 0, int64_t e = 0,
                       int64_t f = 0, int64_t g = 0, int64_t h = 0, void *p1 = nullptr, void *p2 = nullptr);
int32_t func__exit();

// Window and placement state. The window thread's own unless noted: the reshape callback and the
// presenter write it, and no other thread reads it.
extern int32_t display_x, display_y, display_x_prev, display_y_prev; // client size, as last reshaped
extern int32_t display_required_x, display_required_y; // frame size last presented windowed (nothing reads it)
extern int32_t resize_snapback_x, resize_snapback_y;   // frame size of the previous windowed presentation
extern std::atomic<int32_t> resize_snapback;           // _RESIZE (program thread) writes
extern std::atomic<int32_t> resize_auto;               // _RESIZE (program thread) writes
extern float resize_auto_ideal_aspect, resize_auto_accept_aspect;
extern int32_t resize_pending;
// Set by the reshape callback; read, and `resize_event` cleared, by the _RESIZE functions (program
// thread).
extern std::atomic<int32_t> resize_event, resize_event_x, resize_event_y;
extern int32_t os_resize_event;
// 0 windowed, 1 full screen stretched, 2 with square pixels: set by the presenter when it applies a
// request; read by _FULLSCREEN (program thread) and Alt+Enter.
extern std::atomic<int32_t> full_screen;
// A full-screen mode asked for and not applied yet (-1 none): written by _FULLSCREEN (program
// thread) and Alt+Enter (window thread), taken by the presenter; so is the smoothing.
extern std::atomic<int32_t> full_screen_set;
extern std::atomic<int32_t> fullscreen_smooth;
extern std::atomic<int32_t> fullscreen_allowedmode, fullscreen_allowedsmooth; // _ALLOWFULLSCREEN writes
extern std::atomic<double> max_fps;                                           // _FPS writes
// The placement of the frame being presented, as prepare_environment_2d last worked it out.
extern int32_t environment_2d__screen_width, environment_2d__screen_height;
extern int32_t environment__window_width, environment__window_height;
extern int32_t environment_2d__screen_x1, environment_2d__screen_y1, environment_2d__screen_x2,
    environment_2d__screen_y2;
extern float environment_2d__screen_x_scale, environment_2d__screen_y_scale;
// Also read by _SCALEDWIDTH and _SCALEDHEIGHT (program thread).
extern std::atomic<int32_t> environment_2d__screen_scaled_width, environment_2d__screen_scaled_height;
extern int32_t environment_2d__screen_smooth;
extern int32_t environment_2d__letterbox;
// The pass (1 to 4, 0 not drawn) of each layer: _DISPLAYORDER and _GLRENDER (program thread) write;
// the composer and the presenter read.
extern std::atomic<int32_t> displayorder_screen, displayorder_hardware, displayorder_glrender, displayorder_hardware1;
extern int64_t last_rendered_hardware_display_frame_order; // as of the last presentation (nothing reads it)
extern int32_t software_screen_hardware_frame;             // the shown frame's texture image
// Replaced whole by _TITLE (program thread); read once by the window thread when it makes the window.
extern std::atomic<char *> window_title;
// The native window. Stored once by the window thread before it reports the window up
// (libtq_is_glut_up); other threads read it only after they have seen that.
extern void *window_handle;
extern void *generic_window_handle;
// Settings compiled into the program: fixed before start-up, read-only afterwards.
extern int32_t ScreenResize, ScreenResizeScale;
extern int32_t framebufferobjects_supported; // set when the window is made
// 1 makes the presenter pad frame textures to powers of two; the program may set it.
extern std::atomic<int32_t> force_NPO2_fix;

void ZORV_Window_Handle(void *handle);
int32_t ZORV_Resizable();

// Works out where the frame of environment_2d__screen_width x _height lies in the window of
// environment__window_width x _height, from the full-screen and _RESIZE settings, and records it in
// the environment_2d__ values above (window thread).
void prepare_environment_2d();

// ---- the clock's time of day -------------------------------------------------------------------------
// Seconds since local midnight; `passed` non-zero when an accuracy was given.
double func_timer(double accuracy, int32_t passed);

// ---- window statements (program thread) --------------------------------------------------------------
// _TITLE: the window's title becomes the text (the window shows it through a window request).
void sub__title(tqs *text);
void sub__title_text(const char *text, int32_t length);
void sub__fps(double rate, int32_t option);
void sub__resize(int32_t on_off, int32_t scaling);
int32_t func__resize();
int32_t func__resizewidth();
int32_t func__resizeheight();
int32_t func__scaledwidth();
int32_t func__scaledheight();
void sub__fullscreen(int32_t method, int32_t options);
void sub__allowfullscreen(int32_t mode, int32_t smooth);
int32_t func__fullscreen();
int32_t func__fullscreensmooth();
// _HASFOCUS: -1 while the program's window has the keyboard focus, else 0 (also when there is no
// window).
int32_t func__hasfocus();
void sub__displayorder(int32_t a, int32_t b, int32_t c, int32_t d);
void sub__glrender(int32_t mode);
