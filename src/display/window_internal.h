// Shared inside the display: the window-up flag and the window thread's pieces.
#pragma once

#include <atomic>
#include <cstdint>

// True once the window exists: set once by the window thread, after it has stored the window's
// handle and before it runs its loop; any thread reads it (libtq_is_glut_up).
extern std::atomic<bool> glut_is_up;

// Creates the window on the calling (main) thread, as the process entry does at start-up.
void create_window(int argc, char **argv);

// The keyboard and mouse callbacks the window registers (window thread).
void GLUT_KEYBOARD_FUNC(unsigned char key, int x, int y);
void GLUT_KEYBOARDUP_FUNC(unsigned char key, int x, int y);
void GLUT_SPECIAL_FUNC(int key, int x, int y);
void GLUT_SPECIALUP_FUNC(int key, int x, int y);
void GLUT_MOUSE_FUNC(int button, int state, int x, int y);
void GLUT_MOTION_FUNC(int x, int y);
void GLUT_PASSIVEMOTION_FUNC(int x, int y);
void GLUT_MOUSEWHEEL_FUNC(int wheel, int direction, int x, int y);

// Set when a part of the window was uncovered and its picture must be drawn again. Like the flag
// below, it is written by the hooks on the window's X connection, which run on the window thread
// while it reads its events, and read by the window thread.
extern bool window_exposed;
// Set when the window was moved or resized, so that the cached position and frame sizes are
// asked again.
extern bool window_geometry_changed;
// True when the next presentation would draw something: a newer frame, a resize, a full-screen
// change or an uncovered window (window thread).
bool presentation_due();
// Prepares the drawing states of a presentation once, before the first frame (window thread).
void present_warm_up();
