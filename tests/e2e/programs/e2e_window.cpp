// A program for the window tests. Its first argument chooses what it does:
//   title  - waits half a second, renames the window, then idles in statement-sized steps;
//   frame  - hands a test picture to the window as a composed frame, then idles;
//   idle   - only idles.
#include <cstdlib>
#include <cstring>

#include "libtq.h"

namespace {

void idle_forever() {
    for (uint32_t line = 1;; line++) {
        libtq_sleep_ms(5);
        tq_statement_frame(line);
    }
}

// A picture whose every pixel says where it is: blue left half, red right half, a white diagonal.
void show_test_frame() {
    display_frame_struct &f = display_frame[0];
    f.bgra = static_cast<uint32_t *>(std::malloc(640 * 480 * 4));
    f.w = 640;
    f.h = 480;
    f.bytes = 640 * 480 * 4;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++)
            f.bgra[y * 640 + x] = 0xFF000000u | (x == y ? 0xFFFFFFu : x < 320 ? 0x0000AAu : 0xAA0000u);
    f.order = display_frame_order_next.fetch_add(1);
    last_hardware_display_frame_order = f.order.load();
    f.state = FRAME_READY;
}

} // namespace

void TQMAIN(void *) {
    const char *mode = func_command_count > 1 ? func_command_array[1] : "idle";
    if (std::strcmp(mode, "title") == 0) {
        libtq_sleep_ms(500);
        const char title[] = "Renamed by the program";
        sub__title_text(title, static_cast<int32_t>(sizeof title - 1));
    } else if (std::strcmp(mode, "frame") == 0) {
        show_test_frame();
    }
    idle_forever();
}
