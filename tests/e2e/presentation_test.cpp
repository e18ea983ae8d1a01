// The window's visual: a frame is drawn as one axis-aligned textured rectangle (and black bars), so
// multisampling changes none of its pixels. The window is made without it, which makes every
// presentation cheaper; ZORVEX_WINDOW_MULTISAMPLE=1 asks for a multisampled visual as before. Both
// must show the same pixels unscaled, stretched and letterboxed.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "x_session.h"

namespace {

struct placement_case {
    const char *mode;  // of the e2e_window program
    int width, height; // the window once the picture is placed
    bool user_resizes; // the test sizes the window as a user would
};

// The window's pixels once it is `width` x `height`, not all black, and unchanged for a second;
// empty when that does not happen within eight seconds.
std::vector<uint32_t> settled_picture(e2e::x_session &x, Window w, int width, int height) {
    std::vector<uint32_t> last;
    int unchanged = 0;
    for (int attempt = 0; attempt < 80; attempt++) {
        int got_w = 0, got_h = 0;
        std::vector<uint32_t> pixels = x.grab(w, got_w, got_h);
        bool lit = false;
        for (uint32_t p : pixels) lit = lit || p != 0;
        unchanged = got_w == width && got_h == height && lit && pixels == last ? unchanged + 1 : 0;
        if (unchanged == 10) return pixels;
        last = std::move(pixels);
        usleep(100000);
    }
    return {};
}

std::vector<uint32_t> picture_of(e2e::x_session &x, const placement_case &c, bool multisample) {
    std::vector<std::string> environment = {multisample ? "ZORVEX_WINDOW_MULTISAMPLE=1" : "ZORVEX_WINDOW_MULTISAMPLE"};
    e2e::program p(e2e::program_path("e2e_window"), {c.mode}, environment);
    Window w = x.find_window("Untitled", 3000);
    if (!w) return {};
    x.move_onto_screen(w);
    if (c.user_resizes) {
        if (settled_picture(x, w, 640, 480).empty()) return {};
        XResizeWindow(x.display(), w, static_cast<unsigned>(c.width), static_cast<unsigned>(c.height));
        XSync(x.display(), False);
    }
    return settled_picture(x, w, c.width, c.height);
}

class Multisampling : public testing::TestWithParam<placement_case> {};

TEST_P(Multisampling, ChangesNoPixelOfTheFrame) {
    e2e::x_session x;
    if (!std::getenv("DISPLAY") || !x.ok()) GTEST_SKIP() << "needs an X display";
    const std::vector<uint32_t> with = picture_of(x, GetParam(), true);
    const std::vector<uint32_t> without = picture_of(x, GetParam(), false);
    ASSERT_FALSE(with.empty());
    ASSERT_FALSE(without.empty());
    size_t differing = 0;
    for (size_t i = 0; i < with.size(); i++) differing += with[i] != without[i];
    EXPECT_EQ(differing, 0u);
}

// Unscaled 640 x 480; full screen on the 1280 x 1024 screen with square pixels (letterboxed) and
// stretched; and a window the user made 960 x 720, the frame stretched into it by one and a half.
INSTANTIATE_TEST_SUITE_P(Placements, Multisampling,
                         testing::Values(placement_case{"draw", 640, 480, false},
                                         placement_case{"square", 1280, 1024, false},
                                         placement_case{"stretch", 1280, 1024, false},
                                         placement_case{"resize", 960, 720, true}));

} // namespace
