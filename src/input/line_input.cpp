// Keyboard line input: a number typed at the text cursor, with the cursor shown while it is typed.
#include <string>

#include "input/line_input.h"
#include "libtq.h"
#include "screen/screen_internal.h"

namespace {

constexpr size_t MAX_DIGITS = 5;

// The next key from the keyboard buffer. Between looks it waits for a key press or the start of the
// program's end, and runs the statement frame's event check, which parks the program thread if the
// program is ending. (An empty look asks for a composition, so the typed line is shown at once.)
std::string next_key() {
    for (;;) {
        const int32_t seen = program_wake.load(std::memory_order_acquire);
        tqs *key = tqs_inkey();
        std::string out(reinterpret_cast<const char *>(key->data), static_cast<size_t>(key->length));
        tqs_free(key);
        if (!out.empty()) return out;
        program_wait(seen, -1);
        evnt(0, 0, nullptr);
    }
}

void echo(char c) {
    const uint8_t byte = static_cast<uint8_t>(c);
    print_bytes(&byte, 1, 0);
}

// Blanks the last character typed and puts the cursor on its cell.
void erase_last(img_struct *im) {
    if (im->cursor_held) {
        // It sits in the last column, under the cursor, which waits there for the line break.
        im->cursor_held = 0;
    } else if (im->cursor_x > 1) {
        im->cursor_x = static_cast<int16_t>(im->cursor_x - 1);
    } else if (im->cursor_y > im->top_row) {
        im->cursor_y = static_cast<int16_t>(im->cursor_y - 1);
        im->cursor_x = static_cast<int16_t>(cursor_columns(im));
    } else {
        return;
    }
    printchr(' ');
}

} // namespace

bool line_input_integer(int32_t low, int32_t high, int32_t &value) {
    img_struct *im = write_page;
    const uint8_t cursor_was_shown = im->cursor_show;
    im->cursor_show = 1;
    std::string typed;
    for (;;) {
        const std::string key = next_key();
        if (key.size() != 1) continue; // extended keys
        const char c = key[0];
        const size_t digits = typed.size() - (!typed.empty() && typed[0] == '-');
        if (c >= '0' && c <= '9' && digits < MAX_DIGITS) {
            typed += c;
            echo(c);
        } else if (c == '-' && typed.empty()) {
            typed += c;
            echo(c);
        } else if (c == 8 && !typed.empty()) {
            typed.pop_back();
            erase_last(im);
        } else if (c == 13) {
            break;
        }
    }
    const uint8_t nothing = 0;
    print_bytes(&nothing, 0, 1);
    im->cursor_show = cursor_was_shown;
    if (typed == "-") return false;
    const int32_t n = typed.empty() ? 0 : std::stoi(typed);
    if (n < low || n > high) return false;
    value = n;
    return true;
}
