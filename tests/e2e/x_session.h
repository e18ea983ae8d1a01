// What the window tests need of the X server and of the programs they run: start a compiled
// program, find its window by its exact title, read the window's pixels, send real key events and
// close the window the way a window manager does.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// A program started by a test, with its standard error collected. Each entry of `environment` is
// NAME=VALUE, set for the program, or a bare NAME, left out of its environment.
class program {
  public:
    explicit program(const std::string &path, const std::vector<std::string> &args = {},
                     const std::vector<std::string> &environment = {});
    ~program();
    program(const program &) = delete;
    program &operator=(const program &) = delete;
    // Waits up to `ms` milliseconds for the program to end; returns its exit status, or nothing when
    // it is still running (or ended by a signal).
    std::optional<int> wait_exit(int ms);
    bool running();
    std::string standard_error();
    int pid() const { return pid_; }

  private:
    int pid_ = -1;
    int err_fd_ = -1;
    std::string err_;
    bool ended_ = false;
    int status_ = 0;
    void drain();
};

// An X server of the test's own (Xvfb on a free display number), for tests that take the display
// away from a program. Ended with the object.
class own_display {
  public:
    own_display();
    ~own_display();
    own_display(const own_display &) = delete;
    own_display &operator=(const own_display &) = delete;
    bool ok() const { return number_ >= 0; }
    // ":N", for DISPLAY.
    std::string name() const { return ":" + std::to_string(number_); }
    // Ends the server with `signal` (SIGTERM lets it close its connections, SIGKILL leaves that to
    // the kernel) and waits until it is gone.
    void end_server(int signal);

  private:
    int pid_ = -1;
    int number_ = -1;
};

// What a window shows once its program is in a wait: a pixel of `colour` (any lit pixel when it
// is 0) among the rows `top` to `bottom` and the columns 0 to `right`. A test that means to act on
// a wait watches for it, since a slow machine (a sanitizer build on a busy one, say) can make the
// start-up before the wait last longer than any fixed delay.
struct sign {
    int top, bottom, right;
    uint32_t colour;
};
constexpr sign NO_SIGN{-1, -1, -1, 0};
// What the window test program shows: "Hi!" in yellow at row 2, column 41 of its test picture,
// the last thing drawn before it sleeps or ends; "Press any key to continue" in yellow on the
// bottom row of its 640 x 480 screen, in the END wait; the seed prompt on the top text row.
constexpr sign HI_DRAWN{16, 31, 343, 0xFFFF55};
constexpr sign PRESS_ANY_KEY{464, 479, 199, 0xFFFF55};
constexpr sign SEED_PROMPT{0, 15, 639, 0};

class x_session {
  public:
    // A connection to `display_name`, or to the display DISPLAY names when it is null.
    explicit x_session(const char *display_name = nullptr);
    ~x_session();
    bool ok() const { return display_ != nullptr; }
    Display *display() const { return display_; }
    // The top-level window titled exactly `title`, waiting up to `ms` milliseconds for it. Windows
    // that already existed when the session began (those of earlier tests) are never found.
    Window find_window(const std::string &title, int ms);
    std::string title(Window w);
    void size(Window w, int &width, int &height);
    // Moves the window onto the screen (there is no window manager to place it).
    void move_onto_screen(Window w);
    // The window's pixels as 0x00RRGGBB, rows top to bottom.
    std::vector<uint32_t> grab(Window w, int &width, int &height);
    // Moves the window onto the screen and waits up to `ms` milliseconds for it to show `s`; false
    // when it never did.
    bool wait_until_shown(Window w, const sign &s, int ms);
    // Sends WM_DELETE_WINDOW, as a window manager's close button does.
    void close(Window w);
    // Presses and releases keys by name (X key symbols such as "a", "Shift_L", "Caps_Lock") through
    // the XTest extension, with the pointer over the window so that it has the input focus.
    void key_down(Window w, const std::string &keysym);
    void key_up(Window w, const std::string &keysym);
    void tap(Window w, const std::string &keysym);
    // Presses and releases a key wherever the keyboard focus is.
    void toggle(const std::string &keysym);
    // True while the keyboard indicator of that name ("Caps Lock", "Num Lock") is lit.
    bool indicator_on(const char *name);
    // Starts receiving the window's key presses on this connection, to read their X server times.
    void watch_key_presses(Window w);
    // The X server time (milliseconds of its monotonic clock) of the next key press of a watched
    // window, waiting up to `ms` milliseconds for it.
    std::optional<uint32_t> next_key_press_time(int ms);

  private:
    Display *display_ = nullptr;
    std::vector<Window> existing_;
    void focus(Window w);
};

// Milliseconds of a monotonic clock.
int64_t now_ms();
// The folder holding the test programs.
std::string program_path(const std::string &name);

} // namespace e2e
