#include "x_session.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {

int64_t now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

std::string program_path(const std::string &name) { return std::string(E2E_PROGRAM_DIR) + "/" + name; }

namespace {
// In a child just forked by `parent`: the child gets `signal` when the test process ends, so that
// nothing a test started outlives it, even when the test is killed.
void end_with(pid_t parent, int signal) {
    prctl(PR_SET_PDEATHSIG, signal);
    if (getppid() != parent) _exit(1);
}
} // namespace

program::program(const std::string &path, const std::vector<std::string> &args,
                 const std::vector<std::string> &environment) {
    int fds[2];
    if (pipe(fds) != 0) return;
    const pid_t test = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        end_with(test, SIGKILL);
        dup2(fds[1], STDERR_FILENO);
        close(fds[0]);
        close(fds[1]);
        for (const std::string &e : environment) {
            if (e.find('=') == std::string::npos)
                unsetenv(e.c_str());
            else
                putenv(strdup(e.c_str()));
        }
        std::vector<char *> argv{const_cast<char *>(path.c_str())};
        for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(path.c_str(), argv.data());
        _exit(126);
    }
    close(fds[1]);
    err_fd_ = fds[0];
    fcntl(err_fd_, F_SETFL, O_NONBLOCK);
}

program::~program() {
    if (pid_ > 0 && !ended_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (err_fd_ >= 0) close(err_fd_);
}

void program::drain() {
    char buffer[4096];
    for (;;) {
        ssize_t n = read(err_fd_, buffer, sizeof buffer);
        if (n <= 0) break;
        err_.append(buffer, static_cast<size_t>(n));
    }
}

std::optional<int> program::wait_exit(int ms) {
    int64_t until = now_ms() + ms;
    while (!ended_) {
        drain();
        int status = 0;
        pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            ended_ = true;
            status_ = status;
            break;
        }
        if (now_ms() >= until) return std::nullopt;
        usleep(2000);
    }
    drain();
    if (WIFEXITED(status_)) return WEXITSTATUS(status_);
    if (WIFSIGNALED(status_)) err_ += "\n[ended by signal " + std::to_string(WTERMSIG(status_)) + "]\n";
    return std::nullopt;
}

bool program::running() {
    wait_exit(0);
    return !ended_;
}

std::string program::standard_error() {
    drain();
    return err_;
}

own_display::own_display() {
    int fds[2];
    if (pipe(fds) != 0) return;
    const pid_t test = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        end_with(test, SIGTERM);
        close(fds[0]);
        // The server picks a free display number and writes it to the pipe once it takes clients;
        // -noreset keeps it taking them when its last client has just left.
        const std::string fd = std::to_string(fds[1]);
        int null = open("/dev/null", O_RDWR);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string text;
    const int64_t until = now_ms() + 10000;
    while (text.find('\n') == std::string::npos && now_ms() < until) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char buffer[32];
        ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (text.find('\n') != std::string::npos) number_ = std::stoi(text);
}

own_display::~own_display() { end_server(SIGTERM); }

void own_display::end_server(int signal) {
    if (pid_ <= 0) return;
    kill(pid_, signal);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    if (signal == SIGKILL && number_ >= 0) {
        // A killed server leaves its lock file and socket behind.
        unlink(("/tmp/.X" + std::to_string(number_) + "-lock").c_str());
        unlink(("/tmp/.X11-unix/X" + std::to_string(number_)).c_str());
    }
}

namespace {
// A window that is not mapped yet, or lies partly off the screen, refuses requests such as
// reading its pixels; the tests then simply try again.
int ignore_x_error(Display *, XErrorEvent *) { return 0; }
} // namespace

x_session::x_session(const char *display_name) {
    XSetErrorHandler(ignore_x_error);
    // A server started without -noreset refuses connections for a moment after its last client
    // left (the test before this one, say): try again for a while.
    const int64_t until = now_ms() + 3000;
    while (!(display_ = XOpenDisplay(display_name)) && now_ms() < until) usleep(20000);
    if (!display_) return;
    Window root_return, parent;
    Window *children = nullptr;
    unsigned int n = 0;
    if (XQueryTree(display_, DefaultRootWindow(display_), &root_return, &parent, &children, &n)) {
        existing_.assign(children, children + n);
        if (children) XFree(children);
    }
}
x_session::~x_session() {
    if (display_) XCloseDisplay(display_);
}

std::string x_session::title(Window w) {
    char *name = nullptr;
    std::string out;
    if (XFetchName(display_, w, &name) && name) {
        out = name;
        XFree(name);
    }
    return out;
}

Window x_session::find_window(const std::string &wanted, int ms) {
    int64_t until = now_ms() + ms;
    do {
        Window root_return, parent;
        Window *children = nullptr;
        unsigned int n = 0;
        if (XQueryTree(display_, DefaultRootWindow(display_), &root_return, &parent, &children, &n)) {
            Window found = 0;
            for (unsigned int i = 0; i < n && !found; i++)
                if (std::find(existing_.begin(), existing_.end(), children[i]) == existing_.end() &&
                    title(children[i]) == wanted)
                    found = children[i];
            if (children) XFree(children);
            if (found) return found;
        }
        usleep(5000);
    } while (now_ms() < until);
    return 0;
}

void x_session::size(Window w, int &width, int &height) {
    XWindowAttributes a{};
    XGetWindowAttributes(display_, w, &a);
    width = a.width;
    height = a.height;
}

void x_session::move_onto_screen(Window w) {
    XMoveWindow(display_, w, 0, 0);
    XSync(display_, False);
}

std::vector<uint32_t> x_session::grab(Window w, int &width, int &height) {
    size(w, width, height);
    std::vector<uint32_t> pixels;
    XImage *image =
        XGetImage(display_, w, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) return pixels;
    pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu;
    XDestroyImage(image);
    return pixels;
}

bool x_session::wait_until_shown(Window w, const sign &s, int ms) {
    move_onto_screen(w);
    const int64_t until = now_ms() + ms;
    for (;;) {
        int width = 0, height = 0;
        const std::vector<uint32_t> pixels = grab(w, width, height);
        if (!pixels.empty() && height > s.bottom && width > s.right)
            for (int y = s.top; y <= s.bottom; y++)
                for (int x = 0; x <= s.right; x++) {
                    const uint32_t got =
                        pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
                    if (s.colour ? got == s.colour : got != 0) return true;
                }
        if (now_ms() >= until) return false;
        usleep(10000);
    }
}

void x_session::close(Window w) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, w, False, NoEventMask, &e);
    XFlush(display_);
}

void x_session::focus(Window w) {
    // A window is found by its title as soon as it has one, which may be before it is mapped (a
    // dialog box names itself first): the focus cannot go to it, nor keys reach it, until it is.
    for (int64_t until = now_ms() + 2000; now_ms() < until; usleep(5000)) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(display_, w, &a) || a.map_state == IsViewable) break;
    }
    int width = 0, height = 0;
    size(w, width, height);
    XWarpPointer(display_, None, w, 0, 0, 0, 0, width / 2, height / 2);
    XSetInputFocus(display_, w, RevertToPointerRoot, CurrentTime);
    XSync(display_, False);
}

void x_session::key_down(Window w, const std::string &keysym) {
    focus(w);
    KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym.c_str()));
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XSync(display_, False);
}

void x_session::key_up(Window w, const std::string &keysym) {
    KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym.c_str()));
    (void)w;
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    XSync(display_, False);
}

void x_session::tap(Window w, const std::string &keysym) {
    key_down(w, keysym);
    key_up(w, keysym);
}

void x_session::toggle(const std::string &keysym) {
    KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym.c_str()));
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    XSync(display_, False);
}

bool x_session::indicator_on(const char *name) {
    Atom atom = XInternAtom(display_, name, True);
    Bool on = False;
    return atom != None && XkbGetNamedIndicator(display_, atom, nullptr, &on, nullptr, nullptr) && on;
}

void x_session::watch_key_presses(Window w) {
    XSelectInput(display_, w, KeyPressMask);
    XSync(display_, False);
}

std::optional<uint32_t> x_session::next_key_press_time(int ms) {
    int64_t until = now_ms() + ms;
    for (;;) {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == KeyPress) return static_cast<uint32_t>(event.xkey.time);
        }
        int64_t left = until - now_ms();
        if (left <= 0) return std::nullopt;
        pollfd fd{ConnectionNumber(display_), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left));
    }
}

} // namespace e2e
