// Closing the window at any moment: at fixed times after the program was started (as soon as its
// window can be found, then later while it draws and sleeps), and while it sits in SLEEP, in the
// END key wait, behind an error box and at the RANDOMIZE prompt. Every time the program ends in
// order, with status 0, within a second of the close request, and no sanitizer complains.
//
// CLOSE_ROUNDS (default 3) sets how often each moment is tried; scripts/close_loop.sh repeats the
// whole test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "x_session.h"

namespace {

constexpr const char *DEMO_TITLE = "Spinavorte - (C) dzm/TeKoN^ZT^JW 2025";

struct close_moment {
    const char *name;
    const char *program;        // "demo", or a mode of the window test program
    const char *wait_for_title; // a window to wait for before the close request (an error box), or null
    e2e::sign shown;            // what the window must show before the close request, or NO_SIGN
    int after_exec_ms;          // the close request goes this long after the program was started ...
    int settle_ms;              // ... or this long after its window (or box, or sign) appeared
};

int rounds() {
    const char *text = std::getenv("CLOSE_ROUNDS");
    const int n = text ? std::atoi(text) : 3;
    return n > 0 ? n : 3;
}

// What a sanitizer or the runtime would have complained about on standard error, or nothing.
bool complaint_free(const std::string &err) {
    return err.find("Sanitizer") == std::string::npos && err.find("runtime error") == std::string::npos &&
           err.find("[ended by signal") == std::string::npos;
}

class CloseAtAnyMoment : public testing::TestWithParam<close_moment> {
  protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
        ASSERT_TRUE(x.ok()) << "cannot connect to the X display " << std::getenv("DISPLAY");
    }
    e2e::x_session x;
};

TEST_P(CloseAtAnyMoment, EndsWithStatusZeroWithinASecond) {
    const close_moment m = GetParam();
    const bool demo = std::string(m.program) == "demo";
    std::vector<int64_t> latencies;
    for (int round = 0; round < rounds(); round++) {
        SCOPED_TRACE("round " + std::to_string(round));
        const int64_t exec = e2e::now_ms();
        e2e::program p(demo ? std::string(E2E_DEMO_PATH) : e2e::program_path("e2e_window"),
                       demo ? std::vector<std::string>{} : std::vector<std::string>{m.program});
        const Window w = x.find_window(demo ? DEMO_TITLE : "Untitled", 10000);
        ASSERT_NE(w, 0u) << p.standard_error();
        int64_t at = e2e::now_ms() + m.settle_ms;
        if (m.shown.top >= 0) {
            ASSERT_TRUE(x.wait_until_shown(w, m.shown, 10000)) << p.standard_error();
            at = e2e::now_ms() + m.settle_ms;
        }
        if (m.wait_for_title) {
            ASSERT_NE(x.find_window(m.wait_for_title, 10000), 0u) << p.standard_error();
            at = e2e::now_ms() + m.settle_ms;
        }
        if (m.after_exec_ms >= 0) at = std::max(e2e::now_ms(), exec + m.after_exec_ms);
        while (e2e::now_ms() < at) usleep(1000);
        ASSERT_TRUE(p.running()) << p.standard_error();
        const int64_t sent = e2e::now_ms();
        x.close(w);
        const std::optional<int> status = p.wait_exit(1000);
        ASSERT_TRUE(status.has_value()) << "still running or killed " << e2e::now_ms() - sent
                                        << " ms after the close request (sent " << sent - exec
                                        << " ms after exec): " << p.standard_error();
        EXPECT_EQ(*status, 0) << p.standard_error();
        EXPECT_TRUE(complaint_free(p.standard_error())) << p.standard_error();
        latencies.push_back(e2e::now_ms() - sent);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("close request to exit: median %lld ms, longest %lld ms\n",
                static_cast<long long>(latencies[latencies.size() / 2]), static_cast<long long>(latencies.back()));
}

INSTANTIATE_TEST_SUITE_P(
    Moments, CloseAtAnyMoment,
    testing::Values(close_moment{"At0ms", "demo", nullptr, e2e::NO_SIGN, 0, 0},
                    close_moment{"At20ms", "demo", nullptr, e2e::NO_SIGN, 20, 0},
                    close_moment{"At50ms", "demo", nullptr, e2e::NO_SIGN, 50, 0},
                    close_moment{"At100ms", "demo", nullptr, e2e::NO_SIGN, 100, 0},
                    close_moment{"At200ms", "demo", nullptr, e2e::NO_SIGN, 200, 0},
                    close_moment{"At400ms", "demo", nullptr, e2e::NO_SIGN, 400, 0},
                    close_moment{"InSleep", "sleep", nullptr, e2e::HI_DRAWN, -1, 300},
                    close_moment{"InTheEndWait", "end", nullptr, e2e::PRESS_ANY_KEY, -1, 300},
                    close_moment{"BehindAnErrorBox", "errors", "Unhandled Error #9 - e2e_window", e2e::NO_SIGN, -1,
                                 100},
                    close_moment{"AtTheRandomizePrompt", "randomize", nullptr, e2e::SEED_PROMPT, -1, 300}),
    [](const testing::TestParamInfo<close_moment> &moment_info) { return std::string(moment_info.param.name); });

} // namespace
