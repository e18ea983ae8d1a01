// The display going away under a running program: whatever the program is doing, and whichever of
// its X connections notices first, it says so in one line and ends with status 1 within a second,
// never crashing and never hanging. Each test runs its own X server and ends it.
#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <string>
#include <unistd.h>

#include "x_session.h"

namespace {

struct moment {
    const char *name;
    const char *mode;      // the test program's mode
    const char *box_title; // an error box to wait for before the server goes, or null
    e2e::sign shown;       // what the window must show before then (the program is in its wait)
    int settle_ms;         // how long the program runs (after its window, sign or box is up) before that
    int signal;            // what ends the server
};

class DisplayLossTest : public testing::TestWithParam<moment> {};

// Exactly one line that names the loss (or, when the display went before the program reached it,
// the failure to connect).
void expect_one_line_about_the_display(const std::string &err) {
    EXPECT_TRUE(err.find("lost the connection to the display") != std::string::npos ||
                err.find("cannot connect to display") != std::string::npos)
        << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
}

TEST_P(DisplayLossTest, EndsWithStatusOneAndOneLineWithinASecond) {
    const moment m = GetParam();
    for (int round = 0; round < 3; round++) {
        SCOPED_TRACE(round);
        e2e::own_display server;
        ASSERT_TRUE(server.ok()) << "Xvfb did not start";
        e2e::program p(e2e::program_path("e2e_window"), {m.mode}, {"DISPLAY=" + server.name()});
        {
            // The test's own connection goes before the server does.
            e2e::x_session x(server.name().c_str());
            ASSERT_TRUE(x.ok());
            const Window w = x.find_window("Untitled", 5000);
            ASSERT_NE(w, 0u) << p.standard_error();
            if (m.shown.top >= 0) {
                ASSERT_TRUE(x.wait_until_shown(w, m.shown, 10000)) << p.standard_error();
            }
            if (m.box_title) {
                ASSERT_NE(x.find_window(m.box_title, 5000), 0u) << p.standard_error();
            }
        }
        usleep(static_cast<useconds_t>(m.settle_ms) * 1000);
        ASSERT_TRUE(p.running()) << p.standard_error();
        const int64_t start = e2e::now_ms();
        server.end_server(m.signal);
        const std::optional<int> status = p.wait_exit(1000);
        ASSERT_TRUE(status.has_value()) << "still running or killed by a signal " << e2e::now_ms() - start
                                        << " ms after the display went: " << p.standard_error();
        EXPECT_EQ(*status, 1);
        expect_one_line_about_the_display(p.standard_error());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Moments, DisplayLossTest,
    testing::Values(moment{"Sleep", "sleep", nullptr, e2e::HI_DRAWN, 300, SIGTERM},
                    moment{"SleepKilled", "sleep", nullptr, e2e::HI_DRAWN, 300, SIGKILL},
                    moment{"EndWait", "end", nullptr, e2e::PRESS_ANY_KEY, 400, SIGTERM},
                    moment{"EndWaitKilled", "end", nullptr, e2e::PRESS_ANY_KEY, 400, SIGKILL},
                    moment{"ErrorBox", "errors", "Unhandled Error #9 - e2e_window", e2e::NO_SIGN, 100, SIGTERM},
                    moment{"ErrorBoxKilled", "errors", "Unhandled Error #9 - e2e_window", e2e::NO_SIGN, 100, SIGKILL},
                    moment{"Idle", "idle", nullptr, e2e::NO_SIGN, 0, SIGKILL}),
    [](const testing::TestParamInfo<moment> &moment_info) { return std::string(moment_info.param.name); });

// Start-up: the server goes a few milliseconds after the program was started, before, while or
// after it opens its connections and its window.
TEST(DisplayLossAtStartUp, EndsWithStatusOneAndOneLineWithinASecond) {
    for (int delay_ms : {0, 2, 5, 10, 20, 40, 60, 80, 120, 160}) {
        for (int signal : {SIGTERM, SIGKILL}) {
            SCOPED_TRACE(std::to_string(delay_ms) + " ms, signal " + std::to_string(signal));
            e2e::own_display server;
            ASSERT_TRUE(server.ok()) << "Xvfb did not start";
            e2e::program p(e2e::program_path("e2e_window"), {"draw"}, {"DISPLAY=" + server.name()});
            usleep(static_cast<useconds_t>(delay_ms) * 1000);
            const int64_t start = e2e::now_ms();
            server.end_server(signal);
            const std::optional<int> status = p.wait_exit(1000);
            ASSERT_TRUE(status.has_value()) << "still running or killed by a signal " << e2e::now_ms() - start
                                            << " ms after the display went: " << p.standard_error();
            EXPECT_EQ(*status, 1);
            expect_one_line_about_the_display(p.standard_error());
        }
    }
}

} // namespace
