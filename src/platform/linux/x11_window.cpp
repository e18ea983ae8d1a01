// The window's X connection on Linux.
//
// The window library (freeglut on X11) destroys its window when the window manager sends the
// close request (WM_DELETE_WINDOW), even when told to keep running. The runtime must keep the
// window until the process exits, so the close request is taken off the connection before the
// library sees it: a hook on the conversion of incoming ClientMessage events reports the request
// and drops the event. Unlike checking the queue before each pass of the event loop, this cannot
// miss a request that arrives while the library is reading events.
#include "platform/linux/x11_connection.h"
#include "platform/platform.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
// The wire-to-event hook needs the protocol's event layout; this header also defines min and max.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace plat {
namespace {
Display *window_display = nullptr;
Window window_id = 0;
Atom wm_protocols = 0;
Atom wm_delete_window = 0;
void (*close_handler)() = nullptr;
void (*expose_handler)() = nullptr;
void (*configure_handler)() = nullptr;
Bool (*previous_configure_to_event)(Display *, XEvent *, xEvent *) = nullptr;
Bool (*previous_wire_to_event)(Display *, XEvent *, xEvent *) = nullptr;
Bool (*previous_expose_to_event)(Display *, XEvent *, xEvent *) = nullptr;

bool is_close_request(const XEvent *event) {
    return event->type == ClientMessage && event->xclient.window == window_id &&
           event->xclient.message_type == wm_protocols &&
           static_cast<Atom>(event->xclient.data.l[0]) == wm_delete_window;
}

Bool client_message_hook(Display *display, XEvent *event, xEvent *wire) {
    Bool keep = previous_wire_to_event ? previous_wire_to_event(display, event, wire) : True;
    if (keep && is_close_request(event)) {
        if (close_handler) close_handler();
        return False;
    }
    return keep;
}

// Parts of the window were uncovered: its picture must be drawn again even if no new frame came.
Bool expose_hook(Display *display, XEvent *event, xEvent *wire) {
    Bool keep = previous_expose_to_event ? previous_expose_to_event(display, event, wire) : True;
    if (keep && event->xexpose.window == window_id && expose_handler) expose_handler();
    return keep;
}

// The window was moved, resized or restacked.
Bool configure_hook(Display *display, XEvent *event, xEvent *wire) {
    Bool keep = previous_configure_to_event ? previous_configure_to_event(display, event, wire) : True;
    if (keep && event->xconfigure.window == window_id && configure_handler) configure_handler();
    return keep;
}

Bool close_request_predicate(Display *, XEvent *event, XPointer) { return is_close_request(event) ? True : False; }

// The counter other threads write to end the window thread's wait (a frame is ready); made on
// first use, kept for the life of the process.
int wake_fd() {
    static const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return fd;
}
} // namespace

void intercept_window_events(void (*on_close)(), void (*on_expose)(), void (*on_configure)()) {
    window_display = glXGetCurrentDisplay();
    window_id = glXGetCurrentDrawable();
    if (!window_display || !window_id) return;
    wm_protocols = XInternAtom(window_display, "WM_PROTOCOLS", False);
    wm_delete_window = XInternAtom(window_display, "WM_DELETE_WINDOW", False);
    close_handler = on_close;
    expose_handler = on_expose;
    configure_handler = on_configure;
    XLockDisplay(window_display);
    previous_wire_to_event = XESetWireToEvent(window_display, ClientMessage, client_message_hook);
    previous_expose_to_event = XESetWireToEvent(window_display, Expose, expose_hook);
    previous_configure_to_event = XESetWireToEvent(window_display, ConfigureNotify, configure_hook);
    XUnlockDisplay(window_display);
    // A request that arrived while the window was being made is already queued: take it off too.
    XEvent event;
    while (XCheckIfEvent(window_display, &event, close_request_predicate, nullptr)) on_close();
}

void *current_native_window() { return reinterpret_cast<void *>(glXGetCurrentDrawable()); }

void wake_window_thread() {
    const uint64_t one = 1;
    // A full counter already wakes the waiter; nothing is lost when the write cannot be made.
    ssize_t written = write(wake_fd(), &one, sizeof one);
    (void)written;
}

void wait_for_window_events(int64_t ms) {
    Display *d = window_display ? window_display : glXGetCurrentDisplay();
    if (d && XPending(d) > 0) return;
    const int wake = wake_fd();
    pollfd fds[2] = {{wake, POLLIN, 0}, {d ? ConnectionNumber(d) : -1, POLLIN, 0}};
    if (poll(fds, 2, static_cast<int>(ms < 0 ? 0 : ms > INT32_MAX ? INT32_MAX : ms)) <= 0) return;
    if (fds[1].revents & (POLLHUP | POLLERR)) display_connection_lost();
    if (fds[0].revents & POLLIN) {
        uint64_t count = 0;
        ssize_t taken = read(wake, &count, sizeof count);
        (void)taken;
    }
}

void set_window_size_hints(bool resizable, int width, int height) {
    Display *d = window_display ? window_display : glXGetCurrentDisplay();
    Window w = window_id ? window_id : glXGetCurrentDrawable();
    if (!d || !w) return;
    XSizeHints *hints = XAllocSizeHints();
    if (!hints) return;
    if (!resizable) {
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
    }
    XSetWMNormalHints(d, w, hints);
    XFree(hints);
}

} // namespace plat
