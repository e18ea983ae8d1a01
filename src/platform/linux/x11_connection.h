// The X connections of the platform layer and of the window library, as one concern: the display
// they all talk to may go away at any moment (its server killed, the session ended), and the
// process must then end at once, in one piece.
#pragma once

namespace plat {

// Makes every X connection of the process end it on loss of its display: one line on standard
// error and status 1, at once and without the exit handlers, which would talk to the dead display
// again (closing connections, tearing down OpenGL) and may block for ever or crash while the
// other threads still use them. Also keeps writes to a closed connection from killing the process
// with SIGPIPE before the loss is seen. Safe to call more than once and from any thread.
void guard_display_connections();

// True when a new connection to the display can be opened now.
bool display_reachable();

// Ends the process as above: called by whoever sees the loss first. Never returns.
[[noreturn]] void display_connection_lost();

} // namespace plat
