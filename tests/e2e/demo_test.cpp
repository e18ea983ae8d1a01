// The demo as a user sees it: its title, the counter and texts on the 640 x 480 screen, a typed
// key leading to "Press any key to continue", and the next key ending it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

#include "screen/charset_data.h"
#include "x_session.h"

namespace {

constexpr const char *TITLE = "Spinavorte - (C) dzm/TeKoN^ZT^JW 2025";

// True when `text` stands at the 1-based text row and column in `colour` on black, cell by cell.
bool shows_text(const std::vector<uint32_t> &pixels, int row, int column, const char *text, uint32_t colour) {
    for (int c = 0; text[c]; c++)
        for (int y = 0; y < 16; y++)
            for (int bit = 0; bit < 8; bit++) {
                const uint8_t bits = charset8x16_rows[static_cast<uint8_t>(text[c]) * 16 + y];
                const uint32_t want = (bits & (0x80 >> bit)) ? colour : 0u;
                const size_t at =
                    static_cast<size_t>((row - 1) * 16 + y) * 640 + static_cast<size_t>((column - 1 + c) * 8 + bit);
                if (pixels[at] != want) return false;
            }
    return true;
}

std::vector<uint32_t> wait_for_text(e2e::x_session &x, Window w, int row, int column, const char *text,
                                    uint32_t colour) {
    std::vector<uint32_t> pixels;
    for (int attempt = 0; attempt < 150; attempt++) {
        int width = 0, height = 0;
        pixels = x.grab(w, width, height);
        if (width == 640 && height == 480 && shows_text(pixels, row, column, text, colour)) return pixels;
        usleep(20000);
    }
    return {};
}

TEST(Demo, TurnsTheCubeShowsItsTextsAndEndsAfterTwoKeys) {
    e2e::x_session x;
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    ASSERT_TRUE(x.ok()) << "cannot connect to the X display " << std::getenv("DISPLAY");
    e2e::program demo(E2E_DEMO_PATH);
    Window w = x.find_window(TITLE, 5000);
    ASSERT_NE(w, 0u) << demo.standard_error();
    x.move_onto_screen(w);
    // The counter in colour 11 (light cyan) at row 2, column 2; the credits end in column 79.
    EXPECT_FALSE(wait_for_text(x, w, 2, 2, "Frames Drawn: 1", 0x55FFFFu).empty());
    EXPECT_FALSE(wait_for_text(x, w, 28, 4, "Shift=Click", 0x5555FFu).empty());
    EXPECT_FALSE(wait_for_text(x, w, 28, 20, "Other=Exit", 0xAA0000u).empty());
    EXPECT_FALSE(wait_for_text(x, w, 3, 31, "made for the combined demo compo at Palmora 2025.", 0xFFFFFFu).empty());
    // A second later the next frame is counted.
    EXPECT_FALSE(wait_for_text(x, w, 2, 2, "Frames Drawn: 2", 0x55FFFFu).empty());
    x.tap(w, "a");
    EXPECT_FALSE(wait_for_text(x, w, 30, 1, "Press any key to continue", 0xFFFFFFu).empty());
    EXPECT_TRUE(demo.running());
    x.tap(w, "b");
    std::optional<int> status = demo.wait_exit(2000);
    ASSERT_TRUE(status.has_value()) << demo.standard_error();
    EXPECT_EQ(*status, 0);
}

} // namespace

namespace {

TEST(Demo, TheCloseButtonEndsItWhileItSleeps) {
    e2e::x_session x;
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    ASSERT_TRUE(x.ok()) << "cannot connect to the X display " << std::getenv("DISPLAY");
    e2e::program demo(E2E_DEMO_PATH);
    Window w = x.find_window(TITLE, 5000);
    ASSERT_NE(w, 0u);
    x.move_onto_screen(w);
    ASSERT_FALSE(wait_for_text(x, w, 2, 2, "Frames Drawn: 1", 0x55FFFFu).empty());
    usleep(300000); // well inside the one-second SLEEP of the first frame
    const int64_t start = e2e::now_ms();
    x.close(w);
    std::optional<int> status = demo.wait_exit(1000);
    ASSERT_TRUE(status.has_value()) << e2e::now_ms() - start << " ms after the close request";
    EXPECT_EQ(*status, 0);
}

// Logged milestones: with logging switched on for every scope and level, the start of the runtime,
// the start of the compiled code and the exit, in the log's line format; with no logging
// variables, nothing at all.
TEST(Demo, LogsItsMilestonesOnlyWhenAsked) {
    e2e::x_session x;
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    ASSERT_TRUE(x.ok()) << "cannot connect to the X display " << std::getenv("DISPLAY");
    const std::vector<std::vector<std::string>> environments = {
        {"ZORVEX_LOG_HANDLERS=console", "ZORVEX_LOG_LEVEL=trace", "ZORVEX_LOG_SCOPES=all", "ZORVEX_LOG_FILE_PATH"},
        {"ZORVEX_LOG_HANDLERS", "ZORVEX_LOG_LEVEL", "ZORVEX_LOG_SCOPES", "ZORVEX_LOG_FILE_PATH"}};
    for (const auto &environment : environments) {
        e2e::program demo(E2E_DEMO_PATH, {}, environment);
        Window w = x.find_window(TITLE, 5000);
        ASSERT_NE(w, 0u);
        x.move_onto_screen(w);
        ASSERT_FALSE(wait_for_text(x, w, 2, 2, "Frames Drawn: 1", 0x55FFFFu).empty());
        x.close(w);
        std::optional<int> status = demo.wait_exit(2000);
        ASSERT_TRUE(status.has_value());
        EXPECT_EQ(*status, 0);
        const std::string log = demo.standard_error();
        if (environment[0] == "ZORVEX_LOG_HANDLERS") {
            EXPECT_EQ(log, "");
            continue;
        }
        const std::regex expected(R"(\[\d+\.\d{5}\] INFO libtq \S+startup\.cpp: libtq_prepare: \d+: Program starting\.
\[\d+\.\d{5}\] INFO libtq \S+cube\.cpp: TQMAIN: \d+: ZORV code starting\.
\[\d+\.\d{5}\] INFO libtq \S+housekeeping\.cpp: libtq_exit: \d+: Program exiting with code: 0

)");
        EXPECT_TRUE(std::regex_match(log, expected)) << log;
    }
}

} // namespace
