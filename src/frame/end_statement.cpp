// END: the last words of a program on the screen, then the orderly end.
//
// The bottom text row of the visible page shows "Press any key to continue"; keys typed before END
// are thrown away, and the next key ends the program. The picture stays on the screen because
// frames are composed automatically again from here on.
#include "libtq.h"
#include "screen/screen_internal.h"

namespace {

// INKEY$ as the compiled program would call it, its temporary released after the test.
bool key_waiting() {
    tqs *key = tqs_inkey();
    bool waiting = key->length != 0;
    tqs_free(key);
    return waiting;
}

void print_literal(const char *text, int32_t newline_after) {
    tqs *s = tqs_new_txt(text);
    tqs_print(s, newline_after);
    tqs_free(s);
}

} // namespace

void sub_end() {
    exit_blocked = 0;
    if (!screen_hide.load()) {
        if (display_page.load()) {
            set_write_page(display_page_index);
            const int32_t bottom = text_rows(write_page, write_page->font);
            tqg_sub_view_print(bottom, bottom, 1);
            print_literal("", 1);
            print_literal("Press any key to continue", 0);
        }
        while (key_waiting()) {
        }
        autodisplay = 1;
        // Each look at the buffer that finds it empty asks for a composition of the last words; a
        // key press or the start of the program's end wakes the wait.
        for (;;) {
            const int32_t seen = program_wake.load(std::memory_order_acquire);
            if (stop_program.load()) end();
            if (key_waiting()) break;
            program_wait(seen, -1);
        }
    }
    close_program = 1;
    end();
}
