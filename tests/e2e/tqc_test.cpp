// Programs compiled by tqc in real windows: the demo written in the dialect puts exactly the pixels
// of the hand-translated demo on the screen, frame after frame, and ends the same way.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "screen/charset_data.h"
#include "x_session.h"

namespace {

constexpr const char *CUBE_TITLE = "Spinavorte - (C) dzm/TeKoN^ZT^JW 2025";
constexpr uint32_t COUNTER_COLOUR = 0x55FFFFu; // colour 11 of the 16-colour palette

// The 8 x 16 glyph rows of `text` at a 1-based text row and column of a 640-pixel-wide screen, in
// `colour` on black.
bool text_at(const std::vector<uint32_t> &pixels, int row, int column, const std::string &text, uint32_t colour) {
    for (size_t c = 0; c < text.size(); c++)
        for (int y = 0; y < 16; y++) {
            const uint8_t bits = charset8x16_rows[static_cast<uint8_t>(text[c]) * 16 + y];
            for (int x = 0; x < 8; x++) {
                const size_t at = static_cast<size_t>((row - 1) * 16 + y) * 640 +
                                  static_cast<size_t>((column - 1 + static_cast<int>(c)) * 8 + x);
                if (at >= pixels.size() || pixels[at] != ((bits & (0x80 >> x)) ? colour : 0u)) return false;
            }
        }
    return true;
}

// The window's 640 x 480 picture once the frame counter shows `frames`; empty after 3 seconds.
std::vector<uint32_t> frame_showing(e2e::x_session &x, Window w, int frames) {
    const std::string counter = "Frames Drawn: " + std::to_string(frames) + " ";
    for (int attempt = 0; attempt < 150; attempt++) {
        int width = 0, height = 0;
        std::vector<uint32_t> pixels = x.grab(w, width, height);
        if (width == 640 && height == 480 && text_at(pixels, 2, 2, counter, COUNTER_COLOUR)) return pixels;
        usleep(20000);
    }
    return {};
}

struct cube_frames {
    std::vector<uint32_t> first, eleventh;
};

// Runs a cube program: its first frame, then ten Shift presses, each waited for, and the eleventh
// frame; then a typed key and one more end it.
cube_frames run_cube(e2e::x_session &x, const std::string &path) {
    cube_frames frames;
    e2e::program cube(path);
    Window w = x.find_window(CUBE_TITLE, 5000);
    EXPECT_NE(w, 0u) << path << ": " << cube.standard_error();
    if (!w) return frames;
    x.move_onto_screen(w);
    frames.first = frame_showing(x, w, 1);
    // Each press cuts the second's SLEEP short; the next press waits until the frame it caused is
    // on the screen, so that no press falls between two SLEEPs.
    for (int n = 2; n <= 11 && !frames.first.empty(); n++) {
        x.tap(w, "Shift_L");
        if (frame_showing(x, w, n).empty()) {
            ADD_FAILURE() << path << ": frame " << n << " did not follow a Shift press";
            break;
        }
    }
    frames.eleventh = frame_showing(x, w, 11);
    x.tap(w, "a");
    int width = 0, height = 0;
    bool prompt = false;
    for (int attempt = 0; attempt < 150 && !prompt; attempt++) {
        const std::vector<uint32_t> pixels = x.grab(w, width, height);
        prompt = text_at(pixels, 30, 1, "Press any key to continue", 0xFFFFFFu);
        if (!prompt) usleep(20000);
    }
    EXPECT_TRUE(prompt) << path;
    EXPECT_TRUE(cube.running()) << path;
    x.tap(w, "b");
    const std::optional<int> status = cube.wait_exit(3000);
    EXPECT_TRUE(status.has_value()) << path;
    if (status) {
        EXPECT_EQ(*status, 0) << path;
    }
    return frames;
}

size_t differing_pixels(const std::vector<uint32_t> &a, const std::vector<uint32_t> &b) {
    if (a.size() != b.size()) return std::max(a.size(), b.size());
    size_t n = 0;
    for (size_t i = 0; i < a.size(); i++) n += a[i] != b[i];
    return n;
}

TEST(CompiledCube, ShowsExactlyThePixelsOfTheHandTranslatedDemo) {
    e2e::x_session x;
    if (!std::getenv("DISPLAY") || !x.ok()) GTEST_SKIP() << "needs an X display";
    const cube_frames reference = run_cube(x, E2E_DEMO_PATH);
    const cube_frames compiled = run_cube(x, e2e::program_path("tqc_cube"));
    ASSERT_FALSE(reference.first.empty());
    ASSERT_FALSE(reference.eleventh.empty());
    ASSERT_FALSE(compiled.first.empty());
    ASSERT_FALSE(compiled.eleventh.empty());
    EXPECT_EQ(differing_pixels(reference.first, compiled.first), 0u);
    EXPECT_EQ(differing_pixels(reference.eleventh, compiled.eleventh), 0u);
    // The cube has turned between the two frames: the comparison is not of two empty screens.
    EXPECT_GT(differing_pixels(compiled.first, compiled.eleventh), 100u);
}

} // namespace
