// The window's keyboard and mouse callbacks (window thread). Keys are not yet translated here.
#include "display/window_internal.h"

void GLUT_KEYBOARD_FUNC(unsigned char, int, int) {}
void GLUT_KEYBOARDUP_FUNC(unsigned char, int, int) {}
void GLUT_SPECIAL_FUNC(int, int, int) {}
void GLUT_SPECIALUP_FUNC(int, int, int) {}
void GLUT_MOUSE_FUNC(int, int, int, int) {}
void GLUT_MOTION_FUNC(int, int) {}
void GLUT_PASSIVEMOTION_FUNC(int, int) {}
void GLUT_MOUSEWHEEL_FUNC(int, int, int, int) {}
