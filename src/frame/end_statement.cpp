// END: the last words of a program on the screen, then the orderly end.
//
// The bottom text row of the visible page shows "Press any key to continue"; keys typed before END
// are thrown away, and the next key ends the program. The picture stays on the screen because
// frames are composed automatically again from here on.
#include "libtq.h"
#include "platform/platform.h"
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
        while (key_waiting()) plat::sleep_ms(0);
        autodisplay = 1;
        do {
            plat::sleep_ms(100);
            if (stop_program.load()) end();
        } while (!key_waiting());
    }
    close_program = 1;
    end();
}
