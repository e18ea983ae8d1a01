// The three frame records and the composer's process-wide state.
#include "libtq.h"

display_frame_struct display_frame[3] = {
    {{FRAME_FREE}, {0}, nullptr, 0, 0, 0}, {{FRAME_FREE}, {0}, nullptr, 0, 0, 0}, {{FRAME_FREE}, {0}, nullptr, 0, 0, 0}};
std::atomic<int64_t> display_frame_order_next{1};
std::atomic<int64_t> last_hardware_display_frame_order{0};
std::atomic<int32_t> display_called{0};
std::atomic<int32_t> force_display_update{0};
int32_t x_monitor = 0, y_monitor = 0;
uint32_t paldata[256];
std::atomic<int32_t> screen_last_valid{0};
std::atomic<int32_t> H3C0_blink_enable{1};
uint32_t pal_mode10[2][9];
