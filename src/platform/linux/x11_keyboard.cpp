// The keyboard on Linux: X11 keyboard state through a connection of the platform layer's own.
//
// One connection answers questions (lock indicators, held keys, input focus) and synthesises
// lock-key presses through XTest; the window thread and the housekeeping thread both ask, so it is
// used under a mutex. A second connection belongs to a watcher thread that selects key events on
// the program's window: X delivers a window's key events to every client that selected them, so
// the watcher sees Pause, Ctrl+Break and Scroll Lock, which the window library ignores. The
// watcher also follows XKB's notes of lock changes and keeps the three lock states, so that the
// housekeeping thread, which looks at them on every other step of its cycle, asks the server
// nothing while nothing changes.
#include <atomic>
#include <mutex>
#include <thread>

#include "platform/keyboard.h"
#include "platform/linux/x11_connection.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>

namespace plat {
namespace {

std::mutex query_mutex;
std::atomic<Display *> query_display{nullptr}; // opened under query_mutex
bool query_tried = false;                      // under query_mutex
bool xkb_present = false;                      // under query_mutex

// The query connection, opened on first use; null when there is no display. Windows of other
// programs (the one with the focus, say) may vanish between two questions: errors on the
// keyboard's connections are answers to such questions and are ignored.
Display *query_connection() {
    if (!query_tried) {
        query_tried = true;
        XInitThreads();
        guard_display_connections();
        Display *d = XOpenDisplay(nullptr);
        if (d) {
            query_display = d;
            ignore_errors_of(d);
            int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
            xkb_present = XkbQueryExtension(d, &opcode, &event, &error, &major, &minor);
        }
    }
    return query_display.load();
}

KeySym lock_keysym(lock_key key) {
    switch (key) {
    case lock_key::caps_lock: return XK_Caps_Lock;
    case lock_key::num_lock: return XK_Num_Lock;
    case lock_key::scroll_lock: break;
    }
    return XK_Scroll_Lock;
}

const char *lock_indicator_name(lock_key key) {
    switch (key) {
    case lock_key::caps_lock: return "Caps Lock";
    case lock_key::num_lock: return "Num Lock";
    case lock_key::scroll_lock: break;
    }
    return "Scroll Lock";
}

KeySym modifier_keysym(modifier_key key) {
    switch (key) {
    case modifier_key::scroll_lock: return XK_Scroll_Lock;
    case modifier_key::shift_left: return XK_Shift_L;
    case modifier_key::shift_right: return XK_Shift_R;
    case modifier_key::ctrl_left: return XK_Control_L;
    case modifier_key::ctrl_right: return XK_Control_R;
    case modifier_key::alt_left: return XK_Alt_L;
    case modifier_key::alt_right: break;
    }
    return XK_Alt_R;
}

// The parent of `w`, or 0 at the root or on failure.
Window parent_of(Display *d, Window w) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &n)) return 0;
    if (children) XFree(children);
    return parent == root ? 0 : parent;
}

// True when `inner` is `outer` or lies inside it.
bool within(Display *d, Window inner, Window outer) {
    for (Window w = inner; w; w = parent_of(d, w))
        if (w == outer) return true;
    return false;
}

// The state of a lock on the keyboard, asked of the server on `d`: as lock_key_state answers.
int ask_lock_state(Display *d, lock_key key) {
    Atom name = XInternAtom(d, lock_indicator_name(key), True);
    int index = 0;
    Bool on = False;
    if (name != None && XkbGetNamedIndicator(d, name, &index, &on, nullptr, nullptr)) return on ? 1 : 0;
    if (key == lock_key::scroll_lock) return -1;
    // No indicator: the locked modifier that the key sets tells the state.
    unsigned int mask = key == lock_key::caps_lock ? LockMask : XkbKeysymToModifiers(d, XK_Num_Lock);
    XkbStateRec state{};
    if (mask == 0 || XkbGetState(d, XkbUseCoreKbd, &state) != Success) return -1;
    return (state.locked_mods & mask) ? 1 : 0;
}

// ---- the watcher ----
void (*watch_report)(watched_key, bool) = nullptr;
std::once_flag watch_once;
bool watch_started = false;

// The lock states as the watcher keeps them, by lock_key: once it runs, the server tells it of
// every change of the locked modifiers and of the indicators (XKB state and indicator events), and
// it asks for the three states again after each. Until then nothing is kept and each question
// goes to the server.
constexpr int LOCK_STATE_NOT_KEPT = -2;
std::atomic<int> kept_lock_state[3] = {LOCK_STATE_NOT_KEPT, LOCK_STATE_NOT_KEPT, LOCK_STATE_NOT_KEPT};
int xkb_event_type = -1; // written before the watcher starts

void keep_lock_states(Display *d) {
    for (lock_key key : {lock_key::caps_lock, lock_key::num_lock, lock_key::scroll_lock})
        kept_lock_state[static_cast<int>(key)] = ask_lock_state(d, key);
}

// Asks the server on `d` for XKB's notes of lock changes, then takes the states as they are.
void follow_lock_states(Display *d) {
    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(d, &opcode, &event, &error, &major, &minor)) return;
    XkbSelectEventDetails(d, XkbUseCoreKbd, XkbStateNotify, XkbModifierLockMask, XkbModifierLockMask);
    XkbSelectEventDetails(d, XkbUseCoreKbd, XkbIndicatorStateNotify, XkbAllIndicatorsMask, XkbAllIndicatorsMask);
    xkb_event_type = event;
    keep_lock_states(d);
}

void watch_loop(Display *d) {
    bool pause_was_break = false;
    for (;;) {
        while (XPending(d) > 0) {
            XEvent event;
            XNextEvent(d, &event);
            if (event.type == xkb_event_type) keep_lock_states(d);
            if (event.type != KeyPress && event.type != KeyRelease) continue;
            const bool pressed = event.type == KeyPress;
            const KeySym sym = XLookupKeysym(&event.xkey, 0);
            if (sym == XK_Pause) {
                // Ctrl+Pause is the Break key; its release stays Break even if Ctrl went up first.
                if (pressed) pause_was_break = (event.xkey.state & ControlMask) != 0;
                watch_report(pause_was_break ? watched_key::break_key : watched_key::pause, pressed);
            } else if (sym == XK_Scroll_Lock) {
                watch_report(watched_key::scroll_lock, pressed);
            }
        }
        pollfd fd{ConnectionNumber(d), POLLIN, 0};
        if (poll(&fd, 1, -1) < 0) continue;
        if (fd.revents & (POLLHUP | POLLERR)) display_connection_lost();
    }
}

} // namespace

int lock_key_state(lock_key key) {
    const int kept = kept_lock_state[static_cast<int>(key)].load();
    if (kept != LOCK_STATE_NOT_KEPT) return kept;
    std::lock_guard<std::mutex> hold(query_mutex);
    Display *d = query_connection();
    if (!d || !xkb_present) return -1;
    return ask_lock_state(d, key);
}

void toggle_lock_key(lock_key key) {
    std::lock_guard<std::mutex> hold(query_mutex);
    Display *d = query_connection();
    if (!d) return;
    KeyCode code = XKeysymToKeycode(d, lock_keysym(key));
    if (code == 0) return;
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XSync(d, False);
    // The program may ask for the state right away, before the watcher has seen the change.
    if (xkb_present && kept_lock_state[static_cast<int>(key)].load() != LOCK_STATE_NOT_KEPT)
        kept_lock_state[static_cast<int>(key)] = ask_lock_state(d, key);
}

bool key_held_down(modifier_key key) {
    std::lock_guard<std::mutex> hold(query_mutex);
    Display *d = query_connection();
    if (!d) return false;
    KeyCode code = XKeysymToKeycode(d, modifier_keysym(key));
    if (code == 0) return false;
    char keys[32] = {};
    XQueryKeymap(d, keys);
    return (keys[code / 8] >> (code % 8)) & 1;
}

bool window_has_focus(void *native_window) {
    std::lock_guard<std::mutex> hold(query_mutex);
    Display *d = query_connection();
    const Window window = static_cast<Window>(reinterpret_cast<uintptr_t>(native_window));
    if (!d || !window) return true;
    Window focus = None;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    if (focus == None) return false;
    const Window root = DefaultRootWindow(d);
    if (focus == PointerRoot || focus == root) {
        // The keyboard follows the pointer: the top-level window under it has the focus.
        Window root_return = 0, child = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned int mask = 0;
        if (!XQueryPointer(d, root, &root_return, &child, &rx, &ry, &wx, &wy, &mask) || child == None) return false;
        focus = child;
    }
    // The focus is on the window itself, on a frame a window manager put around it, or inside it.
    return within(d, window, focus) || within(d, focus, window);
}

bool watch_window_keys(void *native_window, void (*report)(watched_key key, bool pressed)) {
    const Window window = static_cast<Window>(reinterpret_cast<uintptr_t>(native_window));
    if (!window || !report) return false;
    std::call_once(watch_once, [&] {
        {
            std::lock_guard<std::mutex> hold(query_mutex);
            if (!query_connection()) return; // also makes sure threads were enabled for Xlib
        }
        Display *d = XOpenDisplay(nullptr);
        if (!d) return;
        ignore_errors_of(d);
        XSelectInput(d, window, KeyPressMask | KeyReleaseMask);
        follow_lock_states(d);
        XSync(d, False);
        watch_report = report;
        std::thread(watch_loop, d).detach();
        watch_started = true;
    });
    return watch_started;
}

} // namespace plat
