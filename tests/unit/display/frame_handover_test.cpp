#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

#include "display/frames_internal.h"
#include "libtq.h"

namespace {

constexpr int32_t PIXELS = 32 * 32;
constexpr int64_t FRAMES = 4000;

struct handover {
    std::atomic<bool> composer_done{false};
    std::atomic<int64_t> shown{0};
    std::atomic<int64_t> torn{0};
    std::atomic<int64_t> older{0};
};

// The composer fills every pixel of a claimed record with the record's order number, so that a
// frame is complete exactly when all its pixels agree with its order.
void composer(void *argument) {
    auto *h = static_cast<handover *>(argument);
    for (int64_t n = 0; n < FRAMES; n++) {
        display_frame_struct *f = composer_claim_frame();
        if (!f) std::abort(); // the presenter holds at most one record, so one is always free or ready
        f->order = display_frame_order_next.fetch_add(1);
        if (f->bytes < PIXELS * 4) {
            std::free(f->bgra);
            f->bgra = static_cast<uint32_t *>(std::malloc(PIXELS * 4));
            f->bytes = PIXELS * 4;
        }
        f->w = 32;
        f->h = 32;
        for (int32_t i = 0; i < PIXELS; i++) f->bgra[i] = static_cast<uint32_t>(f->order.load());
        last_hardware_display_frame_order = f->order.load();
        f->state = FRAME_READY;
    }
    h->composer_done = true;
}

void presenter(void *argument) {
    auto *h = static_cast<handover *>(argument);
    int64_t last = 0;
    while (!h->composer_done.load() || last < last_hardware_display_frame_order.load()) {
        display_frame_struct *prev = nullptr;
        display_frame_struct *f = presenter_take_frame(prev);
        if (!f) continue;
        const int64_t order = f->order.load();
        if (order < last || (order == last && f != prev)) h->older++;
        for (int32_t i = 0; i < PIXELS; i++)
            if (f->bgra[i] != static_cast<uint32_t>(order)) {
                h->torn++;
                break;
            }
        if (order != last) h->shown++;
        last = order;
    }
}

TEST(FrameHandoverThreaded, EveryShownFrameIsCompleteAndNewerThanTheLast) {
    for (auto &f : display_frame) f.state = FRAME_FREE;
    handover h;
    libtq_thread *c = libtq_thread_new();
    libtq_thread *p = libtq_thread_new();
    libtq_thread_start(p, presenter, &h);
    libtq_thread_start(c, composer, &h);
    libtq_thread_join(c);
    libtq_thread_join(p);
    libtq_thread_free(c);
    libtq_thread_free(p);
    EXPECT_EQ(h.torn.load(), 0);
    EXPECT_EQ(h.older.load(), 0);
    EXPECT_GT(h.shown.load(), 0);
    for (auto &f : display_frame) f.state = FRAME_FREE;
}

} // namespace
