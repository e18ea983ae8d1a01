#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <unistd.h>
#include <vector>

#include "screen/charset_data.h"
#include "x_session.h"

namespace {

class WindowTest : public testing::Test {
  protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
        ASSERT_TRUE(x.ok()) << "cannot connect to the X display " << std::getenv("DISPLAY");
    }
    e2e::x_session x;
};

TEST_F(WindowTest, OpensUntitledAndTakesTheProgramsTitle) {
    e2e::program p(e2e::program_path("e2e_window"), {"title"});
    Window w = x.find_window("Untitled", 3000);
    ASSERT_NE(w, 0u) << p.standard_error();
    Window renamed = x.find_window("Renamed by the program", 3000);
    EXPECT_EQ(renamed, w);
}

TEST_F(WindowTest, TheCloseButtonEndsTheProgramWithStatusZeroWithinASecond) {
    e2e::program p(e2e::program_path("e2e_window"), {"idle"});
    Window w = x.find_window("Untitled", 3000);
    ASSERT_NE(w, 0u);
    int64_t start = e2e::now_ms();
    x.close(w);
    std::optional<int> status = p.wait_exit(1000);
    ASSERT_TRUE(status.has_value()) << e2e::now_ms() - start << " ms after the close request: " << p.standard_error();
    EXPECT_EQ(*status, 0);
}

// The window's pixels once it is `width` x `height` and `complete` holds for them, or nothing.
template <typename Check>
std::vector<uint32_t> picture_once(e2e::x_session &x, Window w, int width, int height, Check complete) {
    for (int attempt = 0; attempt < 150; attempt++) {
        int got_w = 0, got_h = 0;
        std::vector<uint32_t> pixels = x.grab(w, got_w, got_h);
        if (got_w == width && got_h == height && pixels.size() == static_cast<size_t>(width) * height &&
            complete(pixels))
            return pixels;
        usleep(20000);
    }
    return {};
}

// The picture of SCREEN 12 with a white diagonal and a red box from (10, 300) to (100, 350), in
// the default colours: 15 is white, 4 is 0xAA0000, 0 black; and "Hi!" in yellow (14, 0xFFFF55) at
// row 2, column 41: pixels 320 to 343 of rows 16 to 31, yellow where the 8 x 16 glyph is set.
size_t text_pixels_wrong(const std::vector<uint32_t> &pixels) {
    size_t wrong = 0;
    const char *text = "Hi!";
    for (int c = 0; c < 3; c++)
        for (int row = 0; row < 16; row++)
            for (int bit = 0; bit < 8; bit++) {
                const uint8_t bits = charset8x16_rows[static_cast<uint8_t>(text[c]) * 16 + row];
                const uint32_t want = (bits & (0x80 >> bit)) ? 0xFFFF55u : 0u;
                wrong += pixels[static_cast<size_t>(16 + row) * 640 + static_cast<size_t>(320 + c * 8 + bit)] != want;
            }
    return wrong;
}

// Frames are composed from the live page, so one may show the picture half drawn: the text, drawn
// last, tells that it is all there.
bool test_picture_complete(const std::vector<uint32_t> &pixels) {
    return pixels[0] == 0xFFFFFFu && pixels[479 * 640 + 639] == 0xFFFFFFu && pixels[320 * 640 + 50] == 0xAA0000u &&
           text_pixels_wrong(pixels) == 0;
}

class DrawingTest : public WindowTest, public testing::WithParamInterface<const char *> {};

TEST_P(DrawingTest, ShowsWhatTheProgramDrewPixelForPixel) {
    e2e::program p(e2e::program_path("e2e_window"), {GetParam()});
    Window w = x.find_window("Untitled", 3000);
    ASSERT_NE(w, 0u);
    x.move_onto_screen(w);
    std::vector<uint32_t> pixels = picture_once(x, w, 640, 480, test_picture_complete);
    if (pixels.empty()) {
        int width = 0, height = 0;
        pixels = x.grab(w, width, height);
        ASSERT_EQ(width, 640);
        ASSERT_EQ(height, 480);
    }
    const size_t text_wrong = text_pixels_wrong(pixels);
    EXPECT_EQ(text_wrong, 0u);
    size_t box = 0, white = 0, other = 0;
    for (int y = 0; y < 480; y++)
        for (int x0 = 0; x0 < 640; x0++) {
            uint32_t got = pixels[static_cast<size_t>(y) * 640 + static_cast<size_t>(x0)];
            if (x0 >= 320 && x0 < 344 && y >= 16 && y < 32) continue; // the text, checked above
            if (x0 >= 10 && x0 <= 100 && y >= 300 && y <= 350)
                box += got == 0xAA0000u;
            else if (got == 0xFFFFFFu)
                white++;
            else if (got != 0)
                other++;
        }
    EXPECT_EQ(box, 91u * 51u);
    // A line from corner to corner lights one pixel per column, 640 in all.
    EXPECT_EQ(white, 640u);
    EXPECT_EQ(other, 0u);
    // ... each within half a pixel of the exact line.
    for (int x0 = 0; x0 < 640; x0++) {
        int row = -1;
        for (int y = 0; y < 480 && row < 0; y++)
            if (pixels[static_cast<size_t>(y) * 640 + static_cast<size_t>(x0)] == 0xFFFFFFu) row = y;
        EXPECT_LE(std::abs(row - x0 * 479.0 / 639.0), 0.51) << x0;
    }
}

// The frame texture as it is, and padded to 1024 x 512 as for a driver without textures of any size.
INSTANTIATE_TEST_SUITE_P(Textures, DrawingTest, testing::Values("draw", "draw-padded"));

// A frame drawn at twice its size: the window shows the 640 x 480 picture with every pixel made a
// 2 x 2 block, its top-left corner at (left, top) of a `width` x `height` window, and black
// everywhere else (the letterbox bars).
struct doubled_picture {
    const char *mode;
    int width, height; // the window
    int left, top;     // where the frame lies in it
    bool user_resizes; // the test sizes the window as a user would
};

class ScaledDrawingTest : public WindowTest, public testing::WithParamInterface<doubled_picture> {};

TEST_P(ScaledDrawingTest, EveryFramePixelBecomesATwoByTwoBlock) {
    const doubled_picture want = GetParam();
    std::vector<uint32_t> frame;
    {
        e2e::program unscaled(e2e::program_path("e2e_window"), {"draw"});
        Window w = x.find_window("Untitled", 3000);
        ASSERT_NE(w, 0u);
        x.move_onto_screen(w);
        frame = picture_once(x, w, 640, 480, test_picture_complete);
        ASSERT_FALSE(frame.empty());
    }
    e2e::program p(e2e::program_path("e2e_window"), {want.mode});
    Window w = x.find_window("Untitled", 3000);
    ASSERT_NE(w, 0u);
    x.move_onto_screen(w);
    if (want.user_resizes) {
        ASSERT_FALSE(picture_once(x, w, 640, 480, test_picture_complete).empty());
        XResizeWindow(x.display(), w, static_cast<unsigned>(want.width), static_cast<unsigned>(want.height));
        XSync(x.display(), False);
    }
    auto expected = [&](int wx, int wy) -> uint32_t {
        const int fx = (wx - want.left) / 2, fy = (wy - want.top) / 2;
        if (wx < want.left || wy < want.top || fx >= 640 || fy >= 480) return 0;
        return frame[static_cast<size_t>(fy) * 640 + static_cast<size_t>(fx)];
    };
    auto mismatches = [&](const std::vector<uint32_t> &q) {
        size_t wrong = 0;
        for (int wy = 0; wy < want.height; wy++)
            for (int wx = 0; wx < want.width; wx++)
                wrong += q[static_cast<size_t>(wy) * static_cast<size_t>(want.width) + static_cast<size_t>(wx)] !=
                         expected(wx, wy);
        return wrong;
    };
    std::vector<uint32_t> shown =
        picture_once(x, w, want.width, want.height, [&](const std::vector<uint32_t> &q) { return mismatches(q) == 0; });
    if (shown.empty()) {
        int width = 0, height = 0;
        shown = x.grab(w, width, height);
        ASSERT_EQ(width, want.width);
        ASSERT_EQ(height, want.height);
    }
    EXPECT_EQ(mismatches(shown), 0u);
}

// Full screen with square pixels on the 1280 x 1024 screen: the frame's aspect (4:3) is kept, so
// it is 1280 x 960 and centred, (1024 - 960) / 2 = 32 rows of black above and below. A window the
// user sized to 1280 x 960 with stretching on fits the frame exactly at twice its size.
INSTANTIATE_TEST_SUITE_P(Placement, ScaledDrawingTest,
                         testing::Values(doubled_picture{"square", 1280, 1024, 0, 32, false},
                                         doubled_picture{"resize", 1280, 960, 0, 0, true}));

// Without a display the program says what is wrong, in one line, and ends with status 1.
void expect_refusal(const std::vector<std::string> &environment, const std::string &wanted) {
    e2e::program p(e2e::program_path("e2e_window"), {"idle"}, environment);
    std::optional<int> status = p.wait_exit(5000);
    ASSERT_TRUE(status.has_value()) << p.standard_error();
    EXPECT_EQ(*status, 1);
    std::string err = p.standard_error();
    EXPECT_NE(err.find(wanted), std::string::npos) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
}

TEST_F(WindowTest, WithDisplayUnsetTheProgramSaysSoAndEndsWithStatusOne) {
    expect_refusal({"DISPLAY"}, "DISPLAY is not set");
    expect_refusal({"DISPLAY="}, "DISPLAY is not set");
}

TEST_F(WindowTest, WithAnUnreachableDisplayTheProgramNamesItAndEndsWithStatusOne) {
    expect_refusal({"DISPLAY=:4095"}, "cannot connect to display :4095");
}

} // namespace

namespace {

// Not a pass/fail check: prints how long a program takes from its start to its first frame in
// the window, for the record. It fails only when no frame comes at all: a sanitizer build on a
// busy machine can take over three seconds.
TEST_F(WindowTest, MeasureTimeToFirstFrame) {
    int64_t start = e2e::now_ms();
    e2e::program p(e2e::program_path("e2e_window"), {"draw"});
    Window w = x.find_window("Untitled", 10000);
    ASSERT_NE(w, 0u);
    x.move_onto_screen(w);
    int64_t seen = 0;
    while (!seen && e2e::now_ms() - start < 10000) {
        int width = 0, height = 0;
        std::vector<uint32_t> pixels = x.grab(w, width, height);
        if (!pixels.empty() && pixels[0] == 0xFFFFFFu) seen = e2e::now_ms();
    }
    ASSERT_NE(seen, 0);
    std::printf("first frame in the window %lld ms after the program started\n", static_cast<long long>(seen - start));
}

} // namespace

namespace {

TEST_F(WindowTest, AnUnhandledErrorAsksWhetherToContinueInABoxWithTheExactTitle) {
    e2e::program p(e2e::program_path("e2e_window"), {"errors"});
    ASSERT_NE(x.find_window("Untitled", 3000), 0u);
    Window box = x.find_window("Unhandled Error #9 - e2e_window", 5000);
    ASSERT_NE(box, 0u) << p.standard_error();
    x.tap(box, "Return"); // the default answer: yes, go on
    Window second = x.find_window("Unhandled Error #5 - e2e_window", 5000);
    ASSERT_NE(second, 0u);
    EXPECT_TRUE(p.running());
    x.close(second); // closing the box without an answer counts as no: the program ends in order
    std::optional<int> status = p.wait_exit(3000);
    ASSERT_TRUE(status.has_value()) << p.standard_error();
    EXPECT_EQ(*status, 0);
}

} // namespace

namespace {

TEST_F(WindowTest, EndShowsPressAnyKeyOnTheBottomRowAndTheCloseButtonStillEnds) {
    e2e::program p(e2e::program_path("e2e_window"), {"end"});
    Window w = x.find_window("Untitled", 3000);
    ASSERT_NE(w, 0u);
    x.move_onto_screen(w);
    // Row 30 of the 640 x 480 screen: pixels 464 to 479. The 25 characters of the message take
    // columns 1 to 25, 200 pixels, in the colour last chosen (14, yellow); the rest of the row shows
    // only the end of the white diagonal.
    size_t lit = 0, beyond = 0;
    for (int attempt = 0; attempt < 100 && lit == 0; attempt++) {
        usleep(20000);
        int width = 0, height = 0;
        std::vector<uint32_t> pixels = x.grab(w, width, height);
        if (width != 640 || height != 480) continue;
        lit = beyond = 0;
        for (int y = 464; y < 480; y++)
            for (int x0 = 0; x0 < 640; x0++) {
                const uint32_t got = pixels[static_cast<size_t>(y) * 640 + static_cast<size_t>(x0)];
                if (x0 < 200)
                    lit += got == 0xFFFF55u;
                else if (got != 0 && got != 0xFFFFFFu)
                    beyond++;
            }
    }
    EXPECT_GT(lit, 200u);
    EXPECT_EQ(beyond, 0u);
    EXPECT_TRUE(p.running());
    x.close(w);
    std::optional<int> status = p.wait_exit(1000);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 0);
}

} // namespace

namespace {

// _HASFOCUS follows the keyboard focus: the program titles its window with each new answer.
TEST_F(WindowTest, HasFocusIsTrueExactlyWhileTheWindowHasTheKeyboardFocus) {
    e2e::program p(e2e::program_path("e2e_window"), {"focus"});
    Window w = 0;
    for (int attempt = 0; attempt < 100 && !w; attempt++) {
        w = x.find_window("focus 0", 20);
        if (!w) w = x.find_window("focus -1", 20);
    }
    ASSERT_NE(w, 0u) << p.standard_error();
    for (int round = 0; round < 2; round++) {
        XSetInputFocus(x.display(), w, RevertToNone, CurrentTime);
        XSync(x.display(), False);
        EXPECT_EQ(x.find_window("focus -1", 3000), w);
        XSetInputFocus(x.display(), None, RevertToNone, CurrentTime);
        XSync(x.display(), False);
        EXPECT_EQ(x.find_window("focus 0", 3000), w);
    }
    // The focus follows the pointer again, as the X server starts, for the tests that come after.
    XSetInputFocus(x.display(), PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(x.display(), False);
    x.close(w);
    std::optional<int> status = p.wait_exit(1000);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 0);
}

} // namespace
