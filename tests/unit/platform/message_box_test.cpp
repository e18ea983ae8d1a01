#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "libtq.h"
#include "platform/platform.h"

namespace {

std::string run(const std::string &command) {
    std::string out;
    if (FILE *p = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
        pclose(p);
    }
    return out;
}

TEST(MessageBox, WithoutADisplayTheBoxIsWrittenToStandardError) {
    const char *display = std::getenv("DISPLAY");
    std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    testing::internal::CaptureStderr();
    int answer = plat::message_box("Critical Error", "Division by zero", "ok", "error");
    std::string text = testing::internal::GetCapturedStderr();
    if (display) setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(text, "Critical Error\nDivision by zero\n");
}

struct box_call {
    const char *title;
    const char *buttons;
    std::atomic<int> answer{-1};
};

// A box the keyboard did not reach is taken down after ten seconds rather than waited for, and
// its answer does not count.
std::atomic<int64_t> box_deadline{0};
std::atomic<bool> box_given_up{false};
bool box_waited_too_long() {
    if (GetTicks() > box_deadline.load()) box_given_up = true;
    return box_given_up.load();
}

// A real dialog on the desktop: found by its exact title and answered with the keyboard.
int answer_real_box(const char *title, const char *buttons, const char *key) {
    box_call call{title, buttons};
    box_deadline = GetTicks() + 10000;
    box_given_up = false;
    libtq_thread *t = libtq_thread_new();
    libtq_thread_start(
        t,
        [](void *a) {
            auto *c = static_cast<box_call *>(a);
            c->answer = plat::message_box(c->title, "Line: 1 (in main module)\n-not an option\nContinue?", c->buttons,
                                          "error", box_waited_too_long);
        },
        &call);
    std::string id;
    for (int i = 0; i < 100 && id.empty(); i++) {
        libtq_sleep_ms(50);
        id = run(std::string("xdotool search --name '^") + title + "$' 2>/dev/null | head -1");
    }
    if (!id.empty()) {
        id.pop_back();
        run("xdotool mousemove --window " + id + " 5 5 key " + key + " 2>/dev/null");
    }
    libtq_thread_join(t);
    libtq_thread_free(t);
    return id.empty() ? -2 : box_given_up.load() ? -3 : call.answer.load();
}

TEST(MessageBoxDesktop, ARealDialogShowsTheExactTitleAndAnswers) {
    if (!std::getenv("DISPLAY") || run("command -v xdotool").empty() || run("command -v xmessage").empty())
        GTEST_SKIP() << "needs an X display, xdotool and xmessage";
    EXPECT_EQ(answer_real_box("Unhandled Error #9 - box_test", "yesno", "Return"), 1);
    EXPECT_EQ(answer_real_box("Critical Error #5", "ok", "Return"), 1);
}

} // namespace

namespace {

std::atomic<bool> stop_waiting{false};

// A box nobody answers is taken down once the caller gives up on it (the program is being
// stopped), and answers as a box closed without a button: no.
TEST(MessageBoxDesktop, ABoxGivenUpGoesAwayAndAnswersNo) {
    if (!std::getenv("DISPLAY") || run("command -v xdotool").empty() || run("command -v xmessage").empty())
        GTEST_SKIP() << "needs an X display, xdotool and xmessage";
    static const char title[] = "Unhandled Error #5 - given_up_test";
    stop_waiting = false;
    std::atomic<int> answer{-1};
    libtq_thread *t = libtq_thread_new();
    libtq_thread_start(
        t,
        [](void *a) {
            static_cast<std::atomic<int> *>(a)->store(
                plat::message_box(title, "Continue?", "yesno", "error", [] { return stop_waiting.load(); }));
        },
        &answer);
    std::string id;
    for (int i = 0; i < 100 && id.empty(); i++) {
        libtq_sleep_ms(50);
        id = run(std::string("xdotool search --name '^") + title + "$' 2>/dev/null | head -1");
    }
    EXPECT_FALSE(id.empty()) << "the box did not appear";
    EXPECT_EQ(answer.load(), -1) << "the box returned before it was given up";
    stop_waiting = true;
    libtq_thread_join(t);
    libtq_thread_free(t);
    EXPECT_EQ(answer.load(), 0);
    EXPECT_EQ(run(std::string("xdotool search --name '^") + title + "$' 2>/dev/null"), "");
}

} // namespace
