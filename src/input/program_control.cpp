// The keys that control the program rather than type into it: Break and Alt+F4 end it (or tell a
// program that asked with _EXIT), Pause holds it until the next key, Alt+Enter steps the window
// through its full-screen states. Such a press goes no further: it reaches neither the ON KEY
// traps, nor the _KEYHIT queue, nor the keyboard buffer.
#include "display/full_screen_cycle.h"
#include "input/keyboard_internal.h"
#include "libtq.h"

namespace {

// Bit values of exit_value, which _EXIT reports to a program that has asked to end itself.
constexpr int32_t EXIT_BY_CLOSE = 1; // the close button, or Alt+F4
constexpr int32_t EXIT_BY_BREAK = 2; // Ctrl+Break

// Bit value of suspend_program for a pause from the keyboard.
constexpr uint8_t PAUSED_BY_KEY = 1;

void end_program(int32_t reason) {
    if (exit_blocked.load())
        exit_value.fetch_or(reason);
    else
        close_program = 1;
}

} // namespace

bool program_control_key(int32_t code) {
    const bool ctrl = ctrl_held(), alt = alt_held();
    if (code == KEY_BREAK || (code == KEY_SCROLLLOCK && ctrl) || (code == KEY_F15 && ctrl)) {
        end_program(EXIT_BY_BREAK);
        return true;
    }
    if (code == KEY_F4 && alt) {
        end_program(EXIT_BY_CLOSE);
        return true;
    }
    if (code == KEY_PAUSE || (code == KEY_NUMLOCK && ctrl)) {
        suspend_program.fetch_or(PAUSED_BY_KEY);
        tqevent = 1;
        return true;
    }
    // While paused, any other key only resumes the program.
    if (suspend_program.load() & PAUSED_BY_KEY) {
        suspend_program.fetch_and(static_cast<uint8_t>(~PAUSED_BY_KEY));
        return true;
    }
    return code == KEY_ENTER && alt && cycle_full_screen();
}
