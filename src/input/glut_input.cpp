// The window's keyboard and mouse callbacks (window thread): the window library's key events as
// the runtime's key codes.
#include <GL/freeglut.h>

#include "display/window_internal.h"
#include "libtq.h"
#include "platform/keyboard.h"

namespace {

constexpr int32_t X(int32_t scan) { return scan * 256; }

// A character key. With Ctrl the window library reports letters as control characters 1-26 and
// Ctrl+Enter as a line feed; the keyboard wants the key itself. Delete arrives as character 127.
// Characters above 127 are Latin-1, which the keyboard takes as Unicode.
void GLUT_key_ascii(int key, bool pressed) {
    const int modifiers = glutGetModifiers();
    if (modifiers & GLUT_ACTIVE_CTRL) {
        if (key == 10)
            key = 13;
        else if (key >= 1 && key <= 26)
            key = key - 1 + ((modifiers & GLUT_ACTIVE_SHIFT) ? 'A' : 'a');
    }
    if (key == 127) {
        pressed ? keydown_vk(X(83)) : keyup_vk(X(83));
    } else if (key >= 128) {
        pressed ? keydown_unicode(key) : keyup_unicode(key);
    } else {
        pressed ? keydown_ascii(key) : keyup_ascii(key);
    }
}

// The key code of a special key of the window library, 0 for keys the keyboard does not know.
int32_t special_key_code(int key) {
    if (key >= GLUT_KEY_F1 && key <= GLUT_KEY_F10) return X(59 + key - GLUT_KEY_F1);
    switch (key) {
    case GLUT_KEY_F11: return X(133);
    case GLUT_KEY_F12: return X(134);
    case GLUT_KEY_LEFT: return X(75);
    case GLUT_KEY_UP: return X(72);
    case GLUT_KEY_RIGHT: return X(77);
    case GLUT_KEY_DOWN: return X(80);
    case GLUT_KEY_PAGE_UP: return X(73);
    case GLUT_KEY_PAGE_DOWN: return X(81);
    case GLUT_KEY_HOME: return X(71);
    case GLUT_KEY_END: return X(79);
    case GLUT_KEY_INSERT: return X(82);
    case GLUT_KEY_SHIFT_L: return KEY_LSHIFT;
    case GLUT_KEY_SHIFT_R: return KEY_RSHIFT;
    case GLUT_KEY_CTRL_L: return KEY_LCTRL;
    case GLUT_KEY_CTRL_R: return KEY_RCTRL;
    case GLUT_KEY_ALT_L: return KEY_LALT;
    case GLUT_KEY_ALT_R: return KEY_RALT;
    default: return 0;
    }
}

// Without the input focus a press is ignored, and a release only ends a key that is held, so no
// key stays down for ever.
void GLUT_key_special(int key, bool pressed) {
    const int32_t code = special_key_code(key);
    if (!code) return;
    const bool focused = plat::window_has_focus(window_handle);
    if (pressed) {
        if (focused) keydown_vk(code);
    } else if (focused || keyheld(code)) {
        keyup_vk(code);
    }
}

} // namespace

void GLUT_KEYBOARD_FUNC(unsigned char key, int, int) { GLUT_key_ascii(key, true); }
void GLUT_KEYBOARDUP_FUNC(unsigned char key, int, int) { GLUT_key_ascii(key, false); }
void GLUT_SPECIAL_FUNC(int key, int, int) { GLUT_key_special(key, true); }
void GLUT_SPECIALUP_FUNC(int key, int, int) { GLUT_key_special(key, false); }
void GLUT_MOUSE_FUNC(int, int, int, int) {}
void GLUT_MOTION_FUNC(int, int) {}
void GLUT_PASSIVEMOTION_FUNC(int, int) {}
void GLUT_MOUSEWHEEL_FUNC(int, int, int, int) {}
