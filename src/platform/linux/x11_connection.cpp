// Losing the display, and finding out why there is none.
//
// Xlib calls one process-wide handler when any connection breaks: the window library's, the
// keyboard's question connection, the key watcher's, or one that OpenGL holds. Its default handler
// calls exit(), which runs the exit handlers on the thread that noticed while the other threads
// go on using X and OpenGL; some of those handlers take libGLX's locks and close connections, so
// the process may hang or crash instead of ending. Ours writes one line and ends the process with
// _exit. Two threads may notice the loss at the same time: only the first writes, the others
// wait for the end.
//
// Not every user of X goes through Xlib's handler: the OpenGL library talks to the server through
// XCB as well, and some of its calls take a missing reply for an answer and crash. A fault is
// therefore taken for a lost display when the sentinel, a connection of our own that never
// carries any traffic, has been hung up by the server; any other fault goes on to the handler
// that was there before (the default one, or a sanitizer's). Errors the server reports on a
// connection other than the keyboard's are taken for the loss in the same way.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/linux/x11_connection.h"
#include "platform/platform.h"

#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

namespace plat {
namespace {

std::once_flag guard_once;
std::atomic<bool> ending{false};
std::atomic<int> sentinel_fd{-1};
struct sigaction previous_segv {};
struct sigaction previous_bus {};

// Written before any thread can notice a loss, read by the one that does.
std::string lost_line;

int io_error_handler(Display *) { display_connection_lost(); }

using error_handler = int (*)(Display *, XErrorEvent *);
std::atomic<error_handler> previous_error_handler{nullptr};
constexpr int MAX_IGNORED = 4;
std::atomic<Display *> ignored[MAX_IGNORED];

// True when the server hangs up the sentinel within half a second: a server that died closes all
// its connections, though not necessarily all at the same moment.
bool sentinel_hung_up() {
    const int fd = sentinel_fd.load();
    if (fd < 0) return false;
    pollfd p{fd, POLLRDHUP, 0};
    return poll(&p, 1, 500) > 0 && (p.revents & (POLLHUP | POLLRDHUP | POLLERR)) != 0;
}

// A server on its way out may still answer a request with an error (a context it no longer
// knows, say) before it hangs up.
int error_handler_of_process(Display *display, XErrorEvent *event) {
    for (const std::atomic<Display *> &d : ignored)
        if (d.load() == display) return 0;
    if (sentinel_hung_up()) display_connection_lost();
    const error_handler previous = previous_error_handler.load();
    return previous ? previous(display, event) : 0;
}

void fault_handler(int sig, siginfo_t *info, void *context) {
    if (sentinel_hung_up()) display_connection_lost();
    const struct sigaction &previous = sig == SIGSEGV ? previous_segv : previous_bus;
    if ((previous.sa_flags & SA_SIGINFO) && previous.sa_sigaction) {
        previous.sa_sigaction(sig, info, context);
        return;
    }
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(sig);
        return;
    }
    std::signal(sig, SIG_DFL);
    raise(sig);
}

void install_fault_handler(int sig, struct sigaction &previous) {
    struct sigaction action {};
    action.sa_sigaction = fault_handler;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, &previous);
}

void write_all(const char *text, size_t length) {
    while (length > 0) {
        ssize_t n = write(STDERR_FILENO, text, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text += n;
        length -= static_cast<size_t>(n);
    }
}

} // namespace

void guard_display_connections() {
    std::call_once(guard_once, [] {
        lost_line = std::string(program_invocation_short_name) + ": lost the connection to the display " +
                    display_name() + "\n";
        std::signal(SIGPIPE, SIG_IGN);
        XSetIOErrorHandler(io_error_handler);
        previous_error_handler = XSetErrorHandler(error_handler_of_process);
    });
}

void ignore_errors_of(Display *display) {
    guard_display_connections();
    for (std::atomic<Display *> &d : ignored) {
        Display *expected = nullptr;
        if (d.compare_exchange_strong(expected, display) || expected == display) break;
    }
    const error_handler replaced = XSetErrorHandler(error_handler_of_process);
    if (replaced != error_handler_of_process) previous_error_handler = replaced;
}

void display_connection_lost() {
    if (ending.exchange(true)) {
        for (;;) pause();
    }
    // Only async-signal-safe calls from here: the thread may hold any lock of Xlib or libGLX.
    write_all(lost_line.data(), lost_line.size());
    _exit(1);
}

std::string display_problem() {
    guard_display_connections();
    const std::string name = display_name();
    if (name.empty()) return "DISPLAY is not set, so there is no X display to open the window on";
    if (sentinel_fd.load() >= 0) return {};
    Display *sentinel = XOpenDisplay(nullptr);
    if (!sentinel) return "cannot connect to display " + name;
    sentinel_fd = ConnectionNumber(sentinel);
    install_fault_handler(SIGSEGV, previous_segv);
    install_fault_handler(SIGBUS, previous_bus);
    return {};
}

bool display_reachable() {
    Display *d = XOpenDisplay(nullptr);
    if (!d) return false;
    XCloseDisplay(d);
    return true;
}

std::string display_name() {
    const char *name = std::getenv("DISPLAY");
    return name ? name : "";
}

} // namespace plat
