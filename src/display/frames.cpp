// The three frame records through which composed frames pass from the composer to the presenter.
//
// A record is owned by whoever its state names: the composer fills a record only while it is in
// state 2 (composing), the presenter reads one only while it is in state 4 (shown). The composer
// takes a free record, or, when none is free, recycles the oldest ready one that was never shown;
// the presenter takes the newest ready record and frees the older ones. Both sides may want the
// same ready record at the same moment, so every change of a record that the other side may also
// change is a compare-and-swap of its state: a side owns a record only once its swap succeeded.
#include "display/frames_internal.h"
#include "libtq.h"

display_frame_struct display_frame[3] = {{{FRAME_FREE}, {0}, nullptr, 0, 0, 0},
                                         {{FRAME_FREE}, {0}, nullptr, 0, 0, 0},
                                         {{FRAME_FREE}, {0}, nullptr, 0, 0, 0}};
std::atomic<int64_t> display_frame_order_next{1};
std::atomic<int64_t> last_hardware_display_frame_order{0};
std::atomic<int32_t> display_called{0};
std::atomic<int32_t> force_display_update{0};
int32_t x_monitor = 0, y_monitor = 0;
uint32_t paldata[256];
std::atomic<int32_t> H3C0_blink_enable{1};

display_frame_struct *composer_claim_frame() {
    for (;;) {
        display_frame_struct *ready = nullptr;
        for (auto &f : display_frame)
            if (f.state.load() == FRAME_READY && (!ready || f.order.load() < ready->order.load())) ready = &f;
        // A free record is preferred over the ready one, the last free one met over the others.
        display_frame_struct *chosen = ready;
        for (auto &f : display_frame)
            if (f.state.load() == FRAME_FREE) chosen = &f;
        if (!chosen) return nullptr;
        int32_t expected = chosen == ready ? FRAME_READY : FRAME_FREE;
        if (chosen->state.compare_exchange_strong(expected, FRAME_COMPOSING)) return chosen;
    }
}

display_frame_struct *presenter_take_frame(display_frame_struct *&prev) {
    for (;;) {
        prev = nullptr;
        for (auto &f : display_frame)
            if (f.state.load() == FRAME_SHOWN) prev = &f;
        const int64_t shown_order = prev ? prev->order.load() : 0;
        display_frame_struct *chosen = nullptr;
        for (auto &f : display_frame) {
            if (f.state.load() != FRAME_READY) continue;
            int64_t order = f.order.load();
            if (order > shown_order && (!chosen || order > chosen->order.load())) chosen = &f;
        }
        if (!chosen) return prev;
        int32_t expected = FRAME_READY;
        if (!chosen->state.compare_exchange_strong(expected, FRAME_SHOWN)) continue; // recycled meanwhile
        const int64_t chosen_order = chosen->order.load();
        for (auto &f : display_frame) {
            if (&f == chosen || f.order.load() >= chosen_order) continue;
            int32_t state = FRAME_SHOWN;
            if (!f.state.compare_exchange_strong(state, FRAME_FREE)) {
                state = FRAME_READY;
                f.state.compare_exchange_strong(state, FRAME_FREE);
            }
        }
        return chosen;
    }
}
