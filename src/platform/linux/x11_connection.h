// The X connections of the platform layer and of the window library, as one concern: the display
// they all talk to may go away at any moment (its server killed, the session ended), and the
// process must then end at once, in one piece.
#pragma once

#include <X11/Xlib.h>

namespace plat {

// Makes every X connection of the process end it on loss of its display: one line on standard
// error and status 1, at once and without the exit handlers, which would talk to the dead display
// again (closing connections, tearing down OpenGL) and may block for ever or crash while the
// other threads still use them. Also keeps writes to a closed connection from killing the process
// with SIGPIPE before the loss is seen. Safe to call more than once and from any thread.
void guard_display_connections();

// Errors the server reports on `display` are answers, not faults (the keyboard's connections ask
// about windows that may vanish between two questions): they are ignored. Errors on any other
// connection are a sign of a lost display when the server hangs up right after; otherwise they go
// to the handler that was there before (Xlib's reports the error and ends the process). Call it
// once the connection is open; it also puts the process's error handler back in front of one
// the window library may have installed since.
void ignore_errors_of(Display *display);

// True when a new connection to the display can be opened now.
bool display_reachable();

// Ends the process as above: called by whoever sees the loss first. Never returns.
[[noreturn]] void display_connection_lost();

} // namespace plat
