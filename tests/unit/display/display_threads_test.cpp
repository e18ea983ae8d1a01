// The display's values that cross threads, exercised from the threads that really share them: the
// composer (housekeeping thread) and the program thread, the presenter (window thread) and the
// program thread. Run under ThreadSanitizer, a value that crosses without an atomic or a hand-over
// is reported; the expectations catch a side that writes what it does not own.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <utility>

#include "display/frames_internal.h"
#include "libtq.h"
#include "test_support.h"

namespace {

// Runs `step` over and over on a thread of its own, from construction until finish().
class side_thread {
  public:
    explicit side_thread(std::function<void()> step) : step_(std::move(step)) {
        libtq_thread_start(thread_, run, this);
    }
    void finish() {
        stop_ = true;
        libtq_thread_join(thread_);
        libtq_thread_free(thread_);
    }
    // Waits until the thread has run at least `n` more steps.
    void wait_steps(int64_t n) {
        const int64_t until = steps_.load() + n;
        while (steps_.load() < until) libtq_sleep_ms(1);
    }

  private:
    static void run(void *argument) {
        auto *self = static_cast<side_thread *>(argument);
        while (!self->stop_.load()) {
            self->step_();
            self->steps_.fetch_add(1);
        }
    }
    std::function<void()> step_;
    std::atomic<bool> stop_{false};
    std::atomic<int64_t> steps_{0};
    libtq_thread *thread_ = libtq_thread_new();
};

void free_all_frames() {
    for (auto &f : display_frame) f.state = FRAME_FREE;
}

// The housekeeping thread's display step, as its loop runs it.
void housekeeping_step() {
    if (autodisplay.load()) display();
    frame.fetch_add(1);
    // The presenter frees what it has seen; here every frame is seen at once.
    for (auto &f : display_frame) {
        int32_t ready = FRAME_READY;
        f.state.compare_exchange_strong(ready, FRAME_FREE);
    }
}

class DisplayThreaded : public testing::Test {
  protected:
    void SetUp() override {
        reset_error_state();
        lock_display_required = 0;
        autodisplay = 1;
        free_all_frames();
    }
    void TearDown() override {
        autodisplay = 1;
        force_display_update = 0;
        free_all_frames();
        tqg_screen(0, 0, 0, 0, 0, 1);
        reset_error_state();
    }
};

// Screen mode 10 blinks its pseudo-colours in the frames only: the page's palette is the program's,
// and the composer leaves every entry of it as the program set it.
TEST_F(DisplayThreaded, TheComposerBlinksScreen10WithoutWritingThePagesPalette) {
    tqg_screen(10, 0, 0, 0, 0, 1);
    ASSERT_EQ(new_error, 0u);
    img_struct *page = display_page.load();
    uint32_t before[256];
    std::memcpy(before, page->pal, sizeof before);
    force_display_update = 1;
    side_thread housekeeping(housekeeping_step);
    // The program reads its palette, as a copy of the page would, while frames are composed.
    uint32_t seen[256];
    int64_t differing = 0;
    for (int i = 0; i < 2000; i++) {
        std::memcpy(seen, page->pal, sizeof seen);
        differing += std::memcmp(seen, before, sizeof seen) != 0;
        if (i % 100 == 0) force_display_update = 1;
    }
    housekeeping.wait_steps(2);
    housekeeping.finish();
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(std::memcmp(page->pal, before, sizeof before), 0);
}

// _DISPLAY takes composition over from the housekeeping thread, _AUTODISPLAY gives it back: the
// composer's copies of the last frame (its palette, pixels and frame size) pass between the two
// threads through the `autodisplay` handshake, never used by both at once.
TEST_F(DisplayThreaded, ManualDisplayTakesCompositionOverAndGivesItBack) {
    tqg_screen(12, 0, 0, 0, 0, 1);
    ASSERT_EQ(new_error, 0u);
    side_thread housekeeping(housekeeping_step);
    housekeeping.wait_steps(2);
    sub__display(); // confirmed by the housekeeping thread's next attempt
    EXPECT_EQ(autodisplay.load(), 0);
    const int64_t composed = display_frame_order_next.load();
    housekeeping.wait_steps(3);
    EXPECT_EQ(display_frame_order_next.load(), composed); // the housekeeping thread composes no more
    // Now only the program thread composes, and it may draw between its frames.
    write_page->pixels[5] = 12;
    sub__display();
    EXPECT_EQ(display_frame_order_next.load(), composed + 1);
    EXPECT_EQ(paldata[12], write_page->pal[12]);
    write_page->pal[12] = 0xFF010203u;
    display_now();
    EXPECT_EQ(paldata[12], 0xFF010203u);
    sub__autodisplay();
    display_now(); // returns once the housekeeping thread has composed again
    EXPECT_GT(display_frame_order_next.load(), composed + 2);
    housekeeping.finish();
    write_page->pal[12] = 0xFFFF5555u;
}

// The window thread places each frame in the window; the program asks for the scaled size and the
// full-screen mode at any time.
// The presenter's placement step, with the full-screen mode it applies (windowed, stretched,
// square pixels) and a small and a large window in turn.
void presenter_placement_step() {
    static int32_t step = 0;
    step++;
    full_screen = step % 3;
    environment_2d__screen_width = 640;
    environment_2d__screen_height = 480;
    environment__window_width = step % 2 ? 1280 : 640;
    environment__window_height = step % 2 ? 1024 : 480;
    prepare_environment_2d();
}

TEST(WindowStateThreaded, TheProgramReadsTheScaledSizeAndFullScreenModeWhileTheWindowPlacesFrames) {
    reset_error_state();
    side_thread window(presenter_placement_step);
    window.wait_steps(1);
    int64_t odd = 0;
    for (int i = 0; i < 20000; i++) {
        const int32_t w = func__scaledwidth(), h = func__scaledheight();
        // 640 x 480 in the small window; in the large one, 1280 x 1024 stretched or 1280 x 960 with
        // square pixels; the windowed frame is not scaled at all.
        odd += !(w == 640 || w == 1280) || !(h == 480 || h == 960 || h == 1024);
        const int32_t mode = func__fullscreen();
        odd += mode < 0 || mode > 2;
        if (i % 1000 == 0) sub__fullscreen(i % 2000 ? 3 : 1, 0);
    }
    window.finish();
    EXPECT_EQ(odd, 0);
    full_screen = 0;
    full_screen_set = -1;
    force_display_update = 0;
    fullscreen_smooth = 0;
}

} // namespace
