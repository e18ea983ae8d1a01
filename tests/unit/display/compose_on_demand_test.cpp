// Composition on demand: the program thread, as it begins to wait, has what it drew composed at
// once by the housekeeping thread, whose pauses the request ends; a request is made only when the
// display page changed since the last one, and requests are served no faster than `max_fps`.
#include <gtest/gtest.h>

#include <atomic>

#include "display/frames_internal.h"
#include "libtq.h"
#include "test_support.h"

namespace {

void free_all_frames() {
    for (auto &f : display_frame) f.state = FRAME_FREE;
}

// The newest ready frame's pixel at (x, y), or nothing when no frame is ready.
std::optional<uint32_t> ready_pixel(int32_t x, int32_t y) {
    display_frame_struct *newest = nullptr;
    for (auto &f : display_frame)
        if (f.state.load() == FRAME_READY && (!newest || f.order.load() > newest->order.load())) newest = &f;
    if (!newest) return std::nullopt;
    return newest->bgra[static_cast<size_t>(y) * static_cast<size_t>(newest->w) + static_cast<size_t>(x)];
}

class ComposeOnDemand : public testing::Test {
  protected:
    void SetUp() override {
        reset_error_state();
        lock_display_required = 0;
        autodisplay = 1;
        max_fps = 60.0;
        tqg_screen(12, 0, 0, 0, 0, 1);
        ASSERT_EQ(new_error, 0u);
        compose_for_cycle(); // takes any request an earlier test left, and composes what is shown
        composition_request();
        housekeeping_pause(20);
        free_all_frames();
    }
    void TearDown() override {
        autodisplay = 1;
        max_fps = 60.0;
        free_all_frames();
        tqg_screen(0, 0, 0, 0, 0, 1);
        reset_error_state();
    }
    // Composition attempts made during one pause of the housekeeping thread.
    static int64_t compositions_in_pause(int64_t ms) {
        const int64_t before = display_frame_order_next.load();
        housekeeping_pause(ms);
        return display_frame_order_next.load() - before;
    }
};

TEST_F(ComposeOnDemand, WaitsAskOnlyWhenTheShownPageChanged) {
    // Nothing drawn since the last request: asking wakes nobody.
    composition_request();
    EXPECT_EQ(compositions_in_pause(20), 0);
    // A pixel, then a palette entry: each is composed once.
    write_page->pixels[0] = 14;
    composition_request();
    composition_request();
    EXPECT_EQ(compositions_in_pause(20), 1);
    EXPECT_EQ(ready_pixel(0, 0), write_page->pal[14]);
    free_all_frames();
    write_page->pal[14] = 0xFF123456u;
    composition_request();
    EXPECT_EQ(compositions_in_pause(20), 1);
    EXPECT_EQ(ready_pixel(0, 0), 0xFF123456u);
    write_page->pal[14] = 0xFFFFFF55u;
}

TEST_F(ComposeOnDemand, TheProgramsWaitsAndFindingNoKeyAsk) {
    // Keys left by other tests would be found.
    for (bool more = true; more;) {
        tqs *key = tqs_inkey();
        more = key->length != 0;
        tqs_free(key);
    }
    while (func__keyhit() != 0) {
    }
    compose_for_cycle();
    free_all_frames();
    write_page->pixels[1] = 9;
    sub__delay(0.02);
    EXPECT_EQ(compositions_in_pause(20), 1);
    write_page->pixels[1] = 10;
    sub__limit(50);
    sub__limit(50); // the first call only starts the grid
    EXPECT_EQ(compositions_in_pause(20), 1);
    write_page->pixels[1] = 11;
    tqs_free(tqs_inkey());
    EXPECT_EQ(compositions_in_pause(20), 1);
    write_page->pixels[1] = 12;
    EXPECT_EQ(func__keyhit(), 0);
    EXPECT_EQ(compositions_in_pause(20), 1);
    EXPECT_EQ(ready_pixel(1, 0), write_page->pal[12]);
}

TEST_F(ComposeOnDemand, ManualDisplayModeAndAHiddenScreenAreNotComposedOnRequest) {
    autodisplay = 0;
    write_page->pixels[2] = 3;
    composition_request();
    EXPECT_EQ(compositions_in_pause(20), 0);
    autodisplay = 1;
    screen_hide = 1;
    write_page->pixels[2] = 4;
    composition_request();
    EXPECT_EQ(compositions_in_pause(20), 0);
    screen_hide = 0;
}

TEST_F(ComposeOnDemand, RequestsAreServedNoFasterThanTheWindowPresents) {
    write_page->pixels[3] = 1;
    composition_request();
    EXPECT_EQ(compositions_in_pause(20), 1);
    max_fps = 5.0; // one composition on request per 200 ms
    write_page->pixels[3] = 2;
    composition_request();
    EXPECT_EQ(compositions_in_pause(1), 0); // too soon: kept for later
    EXPECT_EQ(compositions_in_pause(400), 1);
}

TEST_F(ComposeOnDemand, TheCyclesCompositionAnswersAPendingRequest) {
    write_page->pixels[4] = 7;
    composition_request();
    compose_for_cycle();
    EXPECT_EQ(compositions_in_pause(20), 0);
    EXPECT_EQ(ready_pixel(4, 0), write_page->pal[7]);
}

// The program thread draws, asks, and waits for the frame before it draws again, while the
// housekeeping thread does nothing but pause, in pauses far longer than the test: every frame is
// composed on request, inside a pause, and shows what the program drew before it asked.
TEST_F(ComposeOnDemand, ThreadedEachRequestEndsTheHousekeepingPause) {
    std::atomic<bool> stop{false};
    std::atomic<int32_t> pauses_ended{0};
    libtq_thread *housekeeping = libtq_thread_new();
    struct context {
        std::atomic<bool> *stop;
        std::atomic<int32_t> *pauses_ended;
    } shared{&stop, &pauses_ended};
    libtq_thread_start(
        housekeeping,
        [](void *argument) {
            auto *c = static_cast<context *>(argument);
            while (!c->stop->load()) {
                housekeeping_pause(1500);
                c->pauses_ended->fetch_add(1);
            }
        },
        &shared);
    int32_t shown = 0;
    for (uint8_t colour = 1; colour <= 6; colour++) {
        write_page->pixels[5] = colour;
        composition_request();
        for (int spins = 0; spins < 5000 && ready_pixel(5, 0) != write_page->pal[colour]; spins++) libtq_sleep_ms(1);
        shown += ready_pixel(5, 0) == write_page->pal[colour];
        free_all_frames();
    }
    const int32_t ended = pauses_ended.load();
    stop = true;
    libtq_thread_join(housekeeping);
    libtq_thread_free(housekeeping);
    EXPECT_EQ(shown, 6);
    EXPECT_EQ(ended, 0);
}

// While the program thread waits on a still picture, the housekeeping thread's cycle rests at its
// top until the wait ends; on a text page, whose cursor blinks, it goes on.
TEST_F(ComposeOnDemand, ThreadedTheCycleRestsWhileTheProgramWaitsOnAStillPicture) {
    struct context {
        std::atomic<bool> stop{false};
        std::atomic<int32_t> steps{0};
    } shared;
    libtq_thread *housekeeping = libtq_thread_new();
    libtq_thread_start(
        housekeeping,
        [](void *argument) {
            auto *c = static_cast<context *>(argument);
            while (!c->stop.load()) {
                housekeeping_rest();
                housekeeping_pause(2);
                c->steps.fetch_add(1);
            }
        },
        &shared);
    auto steps_during_wait = [&](int64_t ms) {
        const int32_t before = shared.steps.load();
        program_wait(program_wake.load(), ms);
        return shared.steps.load() - before;
    };
    const int32_t still = steps_during_wait(300); // screen 12
    const int32_t before = shared.steps.load();
    for (int spins = 0; spins < 5000 && shared.steps.load() == before; spins++) libtq_sleep_ms(1);
    const bool resumed = shared.steps.load() != before;
    tqg_screen(0, 0, 0, 0, 0, 1);
    const int32_t text = steps_during_wait(300);
    shared.stop = true;
    libtq_thread_join(housekeeping);
    libtq_thread_free(housekeeping);
    EXPECT_LE(still, 1); // the step under way when the wait began
    EXPECT_TRUE(resumed);
    EXPECT_GT(text, 2);
}

} // namespace
