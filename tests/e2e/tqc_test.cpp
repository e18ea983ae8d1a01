// Programs compiled by tqc in real windows: the demo written in the dialect puts exactly the pixels
// of the hand-translated demo on the screen, frame after frame, and ends the same way.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>
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

// The window's 640 x 480 picture once the frame counter shows `frames` and the picture is at rest
// (two grabs 20 ms apart agree: a composition may catch the program between the counter and the
// texts after it); empty after 3 seconds.
std::vector<uint32_t> frame_showing(e2e::x_session &x, Window w, int frames) {
    const std::string counter = "Frames Drawn: " + std::to_string(frames) + " ";
    std::vector<uint32_t> last;
    for (int attempt = 0; attempt < 150; attempt++) {
        int width = 0, height = 0;
        std::vector<uint32_t> pixels = x.grab(w, width, height);
        if (width == 640 && height == 480 && text_at(pixels, 2, 2, counter, COUNTER_COLOUR)) {
            if (pixels == last) return pixels;
            last = std::move(pixels);
        } else {
            last.clear();
        }
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

namespace {

// ---- the examples ---------------------------------------------------------------------------------

// An example running in its window, ended the way a user ends it: a key ends its loop and END asks
// for one more.
class example_run {
  public:
    example_run(e2e::x_session &x, const std::string &name, const std::string &title)
        : x_(x), program_(e2e::program_path("example_" + name)) {
        w_ = x.find_window(title, 5000);
        if (w_) x.move_onto_screen(w_);
    }
    Window window() const { return w_; }
    std::string log() { return program_.standard_error(); }

    // The window's picture once `ready` holds for it; empty after 3 seconds.
    template <typename Ready> std::vector<uint32_t> wait_for(Ready ready) {
        for (int attempt = 0; attempt < 150; attempt++) {
            int width = 0, height = 0;
            std::vector<uint32_t> pixels = x_.grab(w_, width, height);
            if (!pixels.empty() && ready(pixels, width)) return pixels;
            usleep(20000);
        }
        return {};
    }

    void tap(const char *key) { x_.tap(w_, key); }

    // A key that types a character leaves the loop; END's key closes the window with status 0.
    void end_with_keys(const char *first = "space") {
        EXPECT_TRUE(program_.running());
        x_.tap(w_, first);
        usleep(400000);
        EXPECT_TRUE(program_.running()) << "END waits for a key";
        x_.tap(w_, "Return");
        const std::optional<int> status = program_.wait_exit(3000);
        ASSERT_TRUE(status.has_value()) << log();
        EXPECT_EQ(*status, 0);
    }

  private:
    e2e::x_session &x_;
    e2e::program program_;
    Window w_ = 0;
};

size_t count_colour(const std::vector<uint32_t> &pixels, uint32_t colour) {
    size_t n = 0;
    for (uint32_t p : pixels) n += p == colour;
    return n;
}

size_t count_lit(const std::vector<uint32_t> &pixels) { return pixels.size() - count_colour(pixels, 0); }

// Text cells of an 80-column text screen (8 x 16 pixels each) in `fg` on `bg`.
bool cells_at(const std::vector<uint32_t> &pixels, int width, int row, int column, const std::string &text, uint32_t fg,
              uint32_t bg) {
    if (width != 640) return false;
    for (size_t c = 0; c < text.size(); c++)
        for (int y = 0; y < 16; y++) {
            const uint8_t bits = charset8x16_rows[static_cast<uint8_t>(text[c]) * 16 + y];
            for (int x = 0; x < 8; x++) {
                const size_t at = static_cast<size_t>((row - 1) * 16 + y) * 640 +
                                  static_cast<size_t>((column - 1 + static_cast<int>(c)) * 8 + x);
                if (at >= pixels.size() || pixels[at] != ((bits & (0x80 >> x)) ? fg : bg)) return false;
            }
        }
    return true;
}

constexpr uint32_t GREY = 0xAAAAAAu, BLUE = 0x0000AAu, WHITE = 0xFFFFFFu, YELLOW = 0xFFFF55u, GREEN = 0x00AA00u;

#define NEEDS_DISPLAY(x)                                                                                               \
    if (!std::getenv("DISPLAY") || !(x).ok()) GTEST_SKIP() << "needs an X display"

TEST(Examples, StarfieldStarsMove) {
    e2e::x_session x;
    NEEDS_DISPLAY(x);
    example_run run(x, "starfield", "tqc example: starfield");
    ASSERT_NE(run.window(), 0u) << run.log();
    const auto first = run.wait_for([](const std::vector<uint32_t> &p, int) { return count_lit(p) > 50; });
    ASSERT_FALSE(first.empty());
    const auto later = run.wait_for([&](const std::vector<uint32_t> &p, int) { return p != first; });
    EXPECT_FALSE(later.empty()) << "the stars stand still";
    run.end_with_keys();
}

TEST(Examples, ClockShowsItsFaceAndTicks) {
    e2e::x_session x;
    NEEDS_DISPLAY(x);
    example_run run(x, "clock", "tqc example: clock");
    ASSERT_NE(run.window(), 0u) << run.log();
    // The white rim: a circle of radius 200 has some 1,250 pixels, the rightmost near (520, 220).
    const auto face = run.wait_for([](const std::vector<uint32_t> &p, int width) {
        if (width != 640 || p.size() < 640u * 480 || count_colour(p, WHITE) < 1000) return false;
        for (size_t row = 215; row <= 225; row++)
            for (size_t column = 515; column <= 525; column++)
                if (p[row * 640 + column] == WHITE) return true;
        return false;
    });
    ASSERT_FALSE(face.empty());
    // The second hand moves within two seconds.
    const auto ticked = run.wait_for([&](const std::vector<uint32_t> &p, int) { return p != face; });
    EXPECT_FALSE(ticked.empty());
    run.end_with_keys();
}

TEST(Examples, PaletteCyclingChangesTheColoursOfStillStripes) {
    e2e::x_session x;
    NEEDS_DISPLAY(x);
    example_run run(x, "palette", "tqc example: palette cycling");
    ASSERT_NE(run.window(), 0u) << run.log();
    const auto first = run.wait_for([](const std::vector<uint32_t> &p, int) { return count_lit(p) > p.size() / 2; });
    ASSERT_FALSE(first.empty());
    const auto later = run.wait_for([&](const std::vector<uint32_t> &p, int) { return p != first; });
    EXPECT_FALSE(later.empty());
    run.end_with_keys();
}

TEST(Examples, MenuMovesItsBarAndTellsTheChoice) {
    e2e::x_session x;
    NEEDS_DISPLAY(x);
    example_run run(x, "menu", "tqc example: menu");
    ASSERT_NE(run.window(), 0u) << run.log();
    EXPECT_FALSE(run.wait_for([](const std::vector<uint32_t> &p, int w) {
                        return cells_at(p, w, 2, 30, "*** Main menu ***", WHITE, BLUE) &&
                               cells_at(p, w, 8, 31, "Launch the rocket", 0, GREY);
                    })
                     .empty());
    run.tap("Down");
    EXPECT_FALSE(run.wait_for([](const std::vector<uint32_t> &p, int w) {
                        return cells_at(p, w, 8, 31, "Launch the rocket", GREY, BLUE) &&
                               cells_at(p, w, 10, 31, "Count the stars", 0, GREY);
                    })
                     .empty());
    run.tap("Return");
    EXPECT_FALSE(run.wait_for([](const std::vector<uint32_t> &p, int w) {
                        return cells_at(p, w, 18, 25, "You chose: Count the stars", YELLOW, BLUE);
                    })
                     .empty());
    run.end_with_keys("Escape");
}

TEST(Examples, BouncingBallFallsOntoItsFloor) {
    e2e::x_session x;
    NEEDS_DISPLAY(x);
    example_run run(x, "bounce", "tqc example: bouncing ball");
    ASSERT_NE(run.window(), 0u) << run.log();
    const auto first = run.wait_for([](const std::vector<uint32_t> &p, int) {
        return count_colour(p, GREEN) > 100 && count_colour(p, YELLOW) > 10;
    });
    ASSERT_FALSE(first.empty());
    const auto later = run.wait_for([&](const std::vector<uint32_t> &p, int) { return p != first; });
    EXPECT_FALSE(later.empty()) << "the ball stands still";
    run.end_with_keys();
}

TEST(Examples, PrimesListsAndCountsThem) {
    e2e::x_session x;
    NEEDS_DISPLAY(x);
    example_run run(x, "primes", "tqc example: primes");
    ASSERT_NE(run.window(), 0u) << run.log();
    EXPECT_FALSE(run.wait_for([](const std::vector<uint32_t> &p, int w) {
                        if (!cells_at(p, w, 1, 1, "Primes below 500", WHITE, 0)) return false;
                        if (!cells_at(p, w, 3, 1, " 2  3  5  7  11", GREY, 0)) return false;
                        for (int row = 4; row <= 20; row++)
                            if (cells_at(p, w, row, 1, "There are 95 of them.", YELLOW, 0)) return true;
                        return false;
                    })
                     .empty());
    // The program has already reached END: one key ends it.
    x.tap(run.window(), "Return");
}

} // namespace
