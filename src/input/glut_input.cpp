// The window's keyboard and mouse callbacks (window thread): the window library's key events as
// the runtime's key codes.
#include <GL/freeglut.h>

#include "display/window_internal.h"
#include "input/key_codes.h"
#include "libtq.h"
#include "platform/keyboard.h"

namespace {

// Characters as the window library reports them.
constexpr int LINE_FEED = 10;         // Ctrl+Enter
constexpr int CONTROL_A = 1;          // Ctrl+A; Ctrl+B is 2, up to Ctrl+Z, 26
constexpr int DELETE_CHARACTER = 127; // the Delete key
constexpr int FIRST_LATIN1 = 128;     // and above: Latin-1, which the keyboard takes as Unicode

// A character key. With Ctrl the window library reports letters as control characters and
// Ctrl+Enter as a line feed; the keyboard wants the key itself.
void GLUT_key_ascii(int key, bool pressed) {
    const int modifiers = glutGetModifiers();
    if (modifiers & GLUT_ACTIVE_CTRL) {
        if (key == LINE_FEED)
            key = KEY_ENTER;
        else if (key >= CONTROL_A && key < CONTROL_A + 26)
            key = key - CONTROL_A + ((modifiers & GLUT_ACTIVE_SHIFT) ? 'A' : 'a');
    }
    if (key == DELETE_CHARACTER) {
        pressed ? keydown_vk(KEY_DELETE) : keyup_vk(KEY_DELETE);
    } else if (key >= FIRST_LATIN1) {
        pressed ? keydown_unicode(key) : keyup_unicode(key);
    } else {
        pressed ? keydown_ascii(key) : keyup_ascii(key);
    }
}

// The key code of a special key of the window library, 0 for keys the keyboard does not know.
int32_t special_key_code(int key) {
    if (key >= GLUT_KEY_F1 && key <= GLUT_KEY_F10) return function_key(1 + key - GLUT_KEY_F1);
    switch (key) {
    case GLUT_KEY_F11: return KEY_F11;
    case GLUT_KEY_F12: return KEY_F12;
    case GLUT_KEY_LEFT: return KEY_LEFT;
    case GLUT_KEY_UP: return KEY_UP;
    case GLUT_KEY_RIGHT: return KEY_RIGHT;
    case GLUT_KEY_DOWN: return KEY_DOWN;
    case GLUT_KEY_PAGE_UP: return KEY_PGUP;
    case GLUT_KEY_PAGE_DOWN: return KEY_PGDN;
    case GLUT_KEY_HOME: return KEY_HOME;
    case GLUT_KEY_END: return KEY_END;
    case GLUT_KEY_INSERT: return KEY_INSERT;
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
