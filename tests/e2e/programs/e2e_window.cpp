// A program for the window tests. Its first argument chooses what it does:
//   title  - waits half a second, renames the window, then idles in statement-sized steps;
//   draw   - selects SCREEN 12 and draws a test picture, then idles;
//   draw-padded - the same, with the frame texture padded to powers of two;
//   errors - raises error 9 on line 13, then error 5 on line 14, then idles;
//   end    - draws the test picture and ends with END;
//   square - draws the test picture, then asks for full screen with square pixels;
//   square-smooth - the same, drawn with linear filtering;
//   stretch - draws the test picture, then asks for full screen stretched;
//   resize - draws the test picture and lets the user resize the window, the frame stretched with it;
//   sleep  - draws the test picture, then sleeps in SLEEP for ever;
//   randomize - asks for the random-number seed (RANDOMIZE without an argument), then idles;
//   focus  - titles the window "focus -1" or "focus 0" after _HASFOCUS, whenever that changes;
//   idle   - only idles.
#include <cstdlib>
#include <cstring>
#include <string>

#include "libtq.h"

namespace {

void idle_forever() {
    for (uint32_t line = 1;; line++) {
        libtq_sleep_ms(5);
        tq_statement_frame(line);
    }
}

// SCREEN 12, a white diagonal from corner to corner, a filled red box, and "Hi!" in yellow at
// row 2, column 41.
void draw_test_picture() {
    tqg_screen(12, 0, 0, 0, 0, 1);
    tq_statement_frame(1);
    sub_line(0, 0, 639, 479, 15, 0, 0, 9);
    tq_statement_frame(2);
    sub_line(10, 300, 100, 350, 4, 2, 0, 9);
    tq_statement_frame(3);
    tqg_sub_locate(2, 41, 0, 0, 0, 3);
    tq_statement_frame(4);
    tqg_sub_color(14, 0, 0, 1);
    tq_statement_frame(5);
    tqs *text = tqs_new_txt("Hi!");
    makefit(text);
    tqs_print(text, 0);
    tqs_print(nothingstring, 1);
    tqs_free(text);
    tq_statement_frame(6);
}

} // namespace

void TQMAIN(void *) {
    const char *mode = func_command_count > 1 ? func_command_array[1] : "idle";
    if (std::strcmp(mode, "title") == 0) {
        libtq_sleep_ms(500);
        const char title[] = "Renamed by the program";
        sub__title_text(title, static_cast<int32_t>(sizeof title - 1));
    } else if (std::strcmp(mode, "errors") == 0) {
        libtq_sleep_ms(300); // the window is up before the first box
        error(9);
        tq_statement_frame(13);
        error(5);
        tq_statement_frame(14);
    } else if (std::strcmp(mode, "draw") == 0) {
        draw_test_picture();
    } else if (std::strcmp(mode, "end") == 0) {
        draw_test_picture();
        sub_end();
    } else if (std::strcmp(mode, "draw-padded") == 0) {
        force_NPO2_fix = 1;
        draw_test_picture();
    } else if (std::strcmp(mode, "square") == 0 || std::strcmp(mode, "square-smooth") == 0) {
        draw_test_picture();
        sub__fullscreen(3, std::strcmp(mode, "square-smooth") == 0 ? 1 : 0);
    } else if (std::strcmp(mode, "stretch") == 0) {
        draw_test_picture();
        sub__fullscreen(2, 0);
    } else if (std::strcmp(mode, "resize") == 0) {
        draw_test_picture();
        sub__resize(1, 1);
    } else if (std::strcmp(mode, "sleep") == 0) {
        draw_test_picture();
        for (uint32_t line = 20;; line++) {
            sub_sleep(0, 0);
            tq_statement_frame(line);
        }
    } else if (std::strcmp(mode, "randomize") == 0) {
        sub_randomize(0, 0);
        tq_statement_frame(30);
    } else if (std::strcmp(mode, "focus") == 0) {
        int32_t shown = 1; // neither answer: the first one is always shown
        for (uint32_t line = 40;; line++) {
            const int32_t focus = func__hasfocus();
            if (focus != shown) {
                shown = focus;
                const std::string title = "focus " + std::to_string(focus);
                sub__title_text(title.c_str(), static_cast<int32_t>(title.size()));
            }
            libtq_sleep_ms(5);
            tq_statement_frame(line);
        }
    }
    idle_forever();
}
