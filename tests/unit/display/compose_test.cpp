#include <gtest/gtest.h>

#include <cstring>

#include "display/frames_internal.h"
#include "libtq.h"
#include "screen/screen_internal.h"
#include "test_support.h"

namespace {

// Frame records as the presenter leaves them when it has shown nothing yet.
void free_all_frames() {
    for (auto &f : display_frame) f.state = FRAME_FREE;
}

display_frame_struct *ready_frame() {
    display_frame_struct *newest = nullptr;
    for (auto &f : display_frame)
        if (f.state.load() == FRAME_READY && (!newest || f.order.load() > newest->order.load())) newest = &f;
    return newest;
}

int count_in_state(int32_t state) {
    int n = 0;
    for (auto &f : display_frame) n += f.state.load() == state;
    return n;
}

class ComposeTest : public testing::Test {
  protected:
    void SetUp() override {
        reset_error_state();
        lock_display_required = 0;
        force_display_update = 0;
        H3C0_blink_enable = 1;
        free_all_frames();
    }
    void TearDown() override {
        free_all_frames();
        H3C0_blink_enable = 1;
        reset_error_state();
    }
    // A fresh mode-12 page, already composed once.
    void mode12() {
        tqg_screen(0, 0, 0, 0, 0, 1);
        tqg_screen(12, 0, 0, 0, 0, 1);
        ASSERT_EQ(new_error, 0u);
        display();
        free_all_frames();
    }
};

TEST_F(ComposeTest, WithoutADisplayPageTheAttemptStillCountsAndGivesTheBufferBack) {
    img_struct *saved = display_page.load();
    display_page = nullptr;
    int64_t next = display_frame_order_next.load();
    display();
    display_page = saved;
    EXPECT_EQ(display_frame_order_next.load(), next + 1);
    EXPECT_EQ(last_hardware_display_frame_order.load(), next);
    EXPECT_EQ(count_in_state(FRAME_FREE), 3);
    EXPECT_EQ(display_called.load(), 1);
}

TEST_F(ComposeTest, AnIndexedPageIsResolvedThroughItsPalette) {
    mode12();
    write_page->pixels[100 * 640 + 200] = 5;
    display();
    display_frame_struct *f = ready_frame();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->w, 640);
    EXPECT_EQ(f->h, 480);
    EXPECT_EQ(f->bgra[100 * 640 + 200], 0xFFAA00AAu); // colour 5: magenta, opaque
    EXPECT_EQ(f->bgra[0], 0xFF000000u);
    EXPECT_EQ(last_hardware_display_frame_order.load(), f->order.load());
}

TEST_F(ComposeTest, BytesBeyondThePagesColoursStillReadTheirPaletteEntry) {
    mode12();
    // Sixteen pixels in one run, one of which holds a byte a 16-colour page never draws.
    for (int i = 0; i < 16; i++) write_page->pixels[32 + i] = static_cast<uint8_t>(i);
    write_page->pixels[40] = 200;
    display();
    display_frame_struct *f = ready_frame();
    ASSERT_NE(f, nullptr);
    for (int i = 0; i < 16; i++) EXPECT_EQ(f->bgra[32 + i], i == 8 ? paldata[200] : write_page->pal[i]) << i;
}

TEST_F(ComposeTest, AnUnchangedPageProducesNoFrameButTheAttemptCounts) {
    mode12();
    int64_t next = display_frame_order_next.load();
    display();
    EXPECT_EQ(ready_frame(), nullptr);
    EXPECT_EQ(count_in_state(FRAME_FREE), 3);
    EXPECT_EQ(last_hardware_display_frame_order.load(), next);
}

TEST_F(ComposeTest, ChangingOnePaletteEntryRecolorsItsPixels) {
    mode12();
    write_page->pixels[7] = 5;
    display();
    free_all_frames();
    write_page->pal[5] = 0xFF123456u;
    display();
    display_frame_struct *f = ready_frame();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->bgra[7], 0xFF123456u);
    EXPECT_EQ(f->bgra[8], 0xFF000000u);
}

TEST_F(ComposeTest, ForcedUpdateProducesAFrameOnceAndIsCleared) {
    mode12();
    force_display_update = 1;
    display();
    EXPECT_NE(ready_frame(), nullptr);
    EXPECT_EQ(force_display_update.load(), 0);
    free_all_frames();
    display();
    EXPECT_EQ(ready_frame(), nullptr);
}

TEST_F(ComposeTest, WithEveryRecordReadyTheOldestIsRecycled) {
    mode12();
    const int64_t next = display_frame_order_next.load();
    for (int i = 0; i < 3; i++) {
        display_frame[i].state = FRAME_READY;
        display_frame[i].order = i == 1 ? next - 5 : next - 3 + i; // record 1 is the oldest
    }
    force_display_update = 1;
    display();
    EXPECT_EQ(display_frame[1].state.load(), FRAME_READY);
    EXPECT_EQ(display_frame[1].order.load(), next);
}

TEST_F(ComposeTest, TheDisplayLockIsGrantedAndNothingIsComposedWhileItIsHeld) {
    mode12();
    lock_display = 1;
    write_page->pixels[0] = 9;
    display();
    EXPECT_EQ(lock_display.load(), 2);
    EXPECT_EQ(ready_frame(), nullptr);
    lock_display = 0;
    display();
    EXPECT_NE(ready_frame(), nullptr);
}

TEST_F(ComposeTest, AThirtyTwoBitPageIsCopiedAsItIs) {
    int32_t image = imgnew(64, 32, 32);
    ASSERT_GT(image, 0);
    img_struct *saved = display_page.load();
    display_page = &img[image];
    auto *pixels = reinterpret_cast<uint32_t *>(img[image].pixels);
    for (int i = 0; i < 64 * 32; i++) pixels[i] = 0x80000000u | static_cast<uint32_t>(i);
    display();
    display_frame_struct *f = ready_frame();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->w, 64);
    EXPECT_EQ(f->h, 32);
    EXPECT_EQ(std::memcmp(f->bgra, pixels, 64 * 32 * 4), 0);
    // Shown by the presenter and unchanged: nothing new.
    f->state = FRAME_SHOWN;
    display();
    EXPECT_EQ(ready_frame(), nullptr);
    pixels[5] = 1;
    display();
    ASSERT_NE(ready_frame(), nullptr);
    EXPECT_EQ(ready_frame()->bgra[5], 1u);
    display_page = saved;
    release_image(image);
}

// Screen mode 10 shows black, grey and white, some of them blinking every 512 ms. With the default
// palette, pixel value 1 is a steady grey, 3 a steady white and 2 white in the first half of the
// period and black in the second; these colours carry no alpha.
TEST_F(ComposeTest, Screen10BlinksItsPseudoColoursInTheFrames) {
    tqg_screen(10, 0, 0, 0, 0, 1);
    ASSERT_EQ(new_error, 0u);
    for (uint8_t value = 0; value < 4; value++) write_page->pixels[value] = value;
    uint32_t page_palette[256];
    std::memcpy(page_palette, write_page->pal, sizeof page_palette);
    display_frame_struct *f = nullptr;
    int64_t half = -1;
    for (int attempt = 0; attempt < 5 && half < 0; attempt++) { // a frame within one half period
        free_all_frames();
        force_display_update = 1;
        const int64_t before = GetTicks() & 512;
        display();
        if ((GetTicks() & 512) == before) half = before ? 1 : 0;
        f = ready_frame();
    }
    ASSERT_GE(half, 0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->bgra[0], 0x000000u);
    EXPECT_EQ(f->bgra[1], 0x808080u);
    EXPECT_EQ(f->bgra[2], half ? 0x000000u : 0xFFFFFFu);
    EXPECT_EQ(f->bgra[3], 0xFFFFFFu);
    EXPECT_EQ(std::memcmp(write_page->pal, page_palette, sizeof page_palette), 0) << "the program's palette";
    // PALETTE 1, 6 gives value 1 the blinking pair.
    tqg_palette(1, 6, 3);
    free_all_frames();
    display();
    f = ready_frame();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->bgra[1], f->bgra[2]);
    tqg_screen(0, 0, 0, 0, 0, 1);
}

// ---- text pages ----

class TextComposeTest : public ComposeTest {
  protected:
    void SetUp() override {
        ComposeTest::SetUp();
        tqg_screen(0, 0, 0, 0, 0, 1);
        // The full block is every pixel of its cell, in any copy of the character set.
        std::memset(&charset8x16[219 * 128], 255, 128);
        page = display_page.load();
        ASSERT_TRUE(page->text);
        std::memset(page->pixels, 0, static_cast<size_t>(page->width) * page->height * 2);
        page->cursor_show = 0;
    }
    void put(int32_t column, int32_t row, uint8_t character, uint8_t attribute) {
        page->pixels[(row * page->width + column) * 2] = character;
        page->pixels[(row * page->width + column) * 2 + 1] = attribute;
    }
    // Composes with the blink and cursor phase set by the frame counter.
    display_frame_struct *compose(int32_t phase) {
        frame = phase ? 8 : 0;
        free_all_frames();
        screen_last_valid = 0;
        display();
        return ready_frame();
    }
    uint32_t pixel(display_frame_struct *f, int32_t x, int32_t y) { return f->bgra[y * f->w + x]; }
    img_struct *page = nullptr;
};

TEST_F(TextComposeTest, BlinkingAttributeHidesTheCharacterInTheSecondPhase) {
    put(3, 2, 219, 0x8F);
    display_frame_struct *f = compose(0);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->w, 640);
    ASSERT_EQ(f->h, 400);
    EXPECT_EQ(pixel(f, 3 * 8 + 4, 2 * 16 + 8), page->pal[15]);
    f = compose(1);
    EXPECT_EQ(pixel(f, 3 * 8 + 4, 2 * 16 + 8), page->pal[0]);
    H3C0_blink_enable = 0;
    put(3, 2, ' ', 0x8F); // with blinking off, bit 7 is the fourth background bit: colour 8
    f = compose(1);
    EXPECT_EQ(pixel(f, 3 * 8 + 4, 2 * 16 + 8), page->pal[8]);
    put(3, 2, 219, 0x8F);
    f = compose(1);
    EXPECT_EQ(pixel(f, 3 * 8 + 4, 2 * 16 + 8), page->pal[15]);
}

TEST_F(TextComposeTest, CursorShapesFollowTheirScanLines) {
    struct shape {
        int first, last, height, from, to;
    } shapes[] = {{6, 7, 16, 13, 14}, {0, 7, 16, 0, 15},  {0, 0, 16, 0, 0}, {4, 12, 16, 8, 15}, {6, 7, 8, 6, 7},
                  {2, 3, 16, 2, 3},   {2, 4, 16, 12, 14}, {3, 3, 8, 3, 3},  {7, 7, 16, 14, 14}};
    for (const shape &s : shapes) {
        int from = -1, to = -1;
        ASSERT_TRUE(text_cursor_rows(s.first, s.last, s.height, from, to)) << s.first << "," << s.last;
        EXPECT_EQ(from, s.from) << s.first << "," << s.last << " in " << s.height;
        EXPECT_EQ(to, s.to) << s.first << "," << s.last << " in " << s.height;
    }
    int from, to;
    EXPECT_FALSE(text_cursor_rows(5, 0, 16, from, to));
    EXPECT_FALSE(text_cursor_rows(18, 17, 16, from, to)); // starts below the cell
}

TEST_F(TextComposeTest, TheCursorBlinksAtItsCellAndMovesToTheNextRowWhenALineBreakIsOwed) {
    page->cursor_show = 1;
    page->cursor_firstvalue = 6;
    page->cursor_lastvalue = 7;
    page->cursor_x = 40;
    page->cursor_y = 5;
    put(39, 4, ' ', 0x07);
    display_frame_struct *f = compose(1);
    ASSERT_NE(f, nullptr);
    const int32_t x = 39 * 8, y = 4 * 16;
    EXPECT_EQ(pixel(f, x, y + 13), page->pal[7]);
    EXPECT_EQ(pixel(f, x + 7, y + 14), page->pal[7]);
    EXPECT_EQ(pixel(f, x, y + 12), page->pal[0]);
    EXPECT_EQ(pixel(f, x, y + 15), page->pal[0]);
    f = compose(0);
    EXPECT_EQ(pixel(f, x, y + 13), page->pal[0]);
    page->cursor_held = 2;
    put(0, 5, ' ', 0x07);
    f = compose(1);
    EXPECT_EQ(pixel(f, x, y + 13), page->pal[0]);
    EXPECT_EQ(pixel(f, 0, 5 * 16 + 13), page->pal[7]);
    page->cursor_y = 25; // on the last row the cursor stays where it is
    put(39, 24, ' ', 0x07);
    f = compose(1);
    EXPECT_EQ(pixel(f, x, 24 * 16 + 13), page->pal[7]);
    page->cursor_held = 0;
}

TEST_F(TextComposeTest, OnlyChangedCellsAreRedrawnOnTopOfThePreviousFrame) {
    put(0, 0, 219, 0x0F);
    display_frame_struct *f = compose(0);
    ASSERT_NE(f, nullptr);
    f->state = FRAME_SHOWN;
    // Nothing changed: no frame.
    display();
    EXPECT_EQ(ready_frame(), nullptr);
    put(1, 0, 219, 0x0C);
    display();
    display_frame_struct *g = ready_frame();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(pixel(g, 0, 0), page->pal[15]); // kept from the previous frame
    EXPECT_EQ(pixel(g, 8, 0), page->pal[12]); // the new cell
}

// ---- window statements ----

TEST(WindowStatements, FpsAndDisplayOrderCheckTheirArguments) {
    reset_error_state();
    sub__fps(0.5, 2);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    sub__fps(500, 2);
    EXPECT_EQ(max_fps.load(), 200.0);
    sub__fps(0, 1);
    EXPECT_EQ(max_fps.load(), 200.0);
    sub__fps(60, 2);
    EXPECT_EQ(max_fps.load(), 60.0);
    sub__displayorder(1, 1, 0, 0);
    EXPECT_EQ(new_error, 5u);
    EXPECT_EQ(displayorder_screen.load(), 1);
    reset_error_state();
    sub__displayorder(2, 1, 0, 0);
    EXPECT_EQ(displayorder_hardware.load(), 1);
    EXPECT_EQ(displayorder_screen.load(), 2);
    EXPECT_EQ(displayorder_glrender.load(), 0);
    sub__displayorder(1, 2, 3, 4);
}

TEST(WindowStatements, ExitRequestsAreReadOnceAfterTheProgramTakesOverEnding) {
    exit_value = 0;
    exit_blocked = 0;
    EXPECT_EQ(func__exit(), 0);
    EXPECT_EQ(exit_blocked.load(), 1);
    zorv_custom_event(1);
    EXPECT_EQ(func__exit(), 1);
    EXPECT_EQ(func__exit(), 0);
    exit_blocked = 0;
}

TEST(WindowStatements, FullScreenRequests) {
    reset_error_state();
    sub__fullscreen(3, 1);
    EXPECT_EQ(full_screen_set.load(), 2);
    EXPECT_EQ(func__fullscreen(), 2);
    EXPECT_EQ(func__fullscreensmooth(), -1);
    EXPECT_EQ(force_display_update.load(), 1);
    sub__fullscreen(1, 0); // back to windowed, which is what the window already is
    EXPECT_EQ(full_screen_set.load(), 2);
    full_screen_set = -1;
    force_display_update = 0;
    sub__allowfullscreen(3, 2);
    EXPECT_EQ(fullscreen_allowedmode.load(), -1);
    EXPECT_EQ(fullscreen_allowedsmooth.load(), -1);
    sub__allowfullscreen(1, 1);
    EXPECT_EQ(fullscreen_allowedmode.load(), 1);
}

} // namespace
