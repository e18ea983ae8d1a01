// How quickly the demo answers and what it costs while it waits, measured on a real window:
//   - the time from exec to the first picture in the window,
//   - key to photon: the X server's time of a real Shift press to the first grab of the window
//     that shows the frame it caused (its frame counter changed),
//   - the processor time of the waiting demo, as a share of one core, thread by thread,
//   - its peak resident memory.
// The figures are printed, not checked: they depend on the machine and on what else it runs.
// E2E_ROUNDS=N repeats every measurement N times (default 1); E2E_IDLE_SECONDS sets the length of
// the idle measurement (default 10); E2E_DEMO runs another build of the demo (an older one, to
// compare).
#include <gtest/gtest.h>

#include <X11/Xutil.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "x_session.h"

namespace {

constexpr const char *TITLE = "Spinavorte - (C) dzm/TeKoN^ZT^JW 2025";

int setting(const char *name, int fallback) {
    const char *text = std::getenv(name);
    const int value = text ? std::atoi(text) : 0;
    return value > 0 ? value : fallback;
}

// Milliseconds of the monotonic clock, the X server's own clock for event times, with fractions.
double now_precise_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// A part of a window.
struct area {
    int x, y;
    unsigned width, height;
};
// The counter "Frames Drawn: N" on text row 2 of the demo's 640 x 480 screen: it changes with every
// frame the demo draws, and a grab this small takes far less time than one of the whole window.
constexpr area COUNTER{8, 16, 200, 16};

// The pixels of a part of the window (all of it by default) as the server holds them, bytes as they
// come; empty while it cannot be read.
std::string grab_raw(Display *d, Window w, std::optional<area> part = std::nullopt) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d, w, &a) || a.width <= 0 || a.height <= 0) return {};
    const area whole{0, 0, static_cast<unsigned>(a.width), static_cast<unsigned>(a.height)};
    const area at = part.value_or(whole);
    XImage *image = XGetImage(d, w, at.x, at.y, at.width, at.height, AllPlanes, ZPixmap);
    if (!image) return {};
    std::string bytes(image->data, static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(image->height));
    XDestroyImage(image);
    return bytes;
}

bool all_black(const std::string &bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == 0; });
}

struct spread {
    std::vector<double> values;
    void add(double v) { values.push_back(v); }
    std::string text(const char *unit) {
        if (values.empty()) return "no values";
        std::sort(values.begin(), values.end());
        char out[200];
        std::snprintf(out, sizeof out, "median %.1f %s, min %.1f, max %.1f (%zu values)", values[values.size() / 2],
                      unit, values.front(), values.back(), values.size());
        return out;
    }
};

std::string load_average() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

// The demo started with its window on the screen.
struct running_demo {
    e2e::x_session &x;
    double started_ms;
    e2e::program demo;
    Window w = 0;
    explicit running_demo(e2e::x_session &session)
        : x(session), started_ms(now_precise_ms()),
          demo(std::getenv("E2E_DEMO") ? std::getenv("E2E_DEMO") : E2E_DEMO_PATH) {}

    // Waits up to `ms` for the first picture (a pixel that is not black); its time after exec.
    std::optional<double> first_picture(int ms) {
        const double until = started_ms + ms;
        while (now_precise_ms() < until) {
            if (!w) {
                w = x.find_window(TITLE, 1);
                if (w) x.move_onto_screen(w);
                continue;
            }
            const std::string pixels = grab_raw(x.display(), w);
            if (!pixels.empty() && !all_black(pixels)) return now_precise_ms() - started_ms;
            usleep(1000);
        }
        return std::nullopt;
    }

    // Waits up to `ms` for the counter to differ from `before`; the time it was first seen.
    std::optional<double> change_from(const std::string &before, int ms) {
        const double until = now_precise_ms() + ms;
        while (now_precise_ms() < until) {
            const std::string now = grab_raw(x.display(), w, COUNTER);
            if (!now.empty() && now != before) return now_precise_ms();
        }
        return std::nullopt;
    }
};

// CPU time of each thread of a process, in nanoseconds, by thread id, with the thread's name.
std::map<int, std::pair<std::string, double>> thread_times(int pid) {
    std::map<int, std::pair<std::string, double>> out;
    const std::string base = "/proc/" + std::to_string(pid) + "/task";
    DIR *dir = opendir(base.c_str());
    if (!dir) return out;
    while (dirent *entry = readdir(dir)) {
        const int tid = std::atoi(entry->d_name);
        if (tid <= 0) continue;
        std::ifstream stat(base + "/" + entry->d_name + "/schedstat"), comm(base + "/" + entry->d_name + "/comm");
        double ns = 0;
        std::string name;
        if (!(stat >> ns)) continue;
        std::getline(comm, name);
        out[tid] = {name, ns};
    }
    closedir(dir);
    return out;
}

long peak_resident_kb(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

class Responsiveness : public testing::Test {
  protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY") || !x.ok()) GTEST_SKIP() << "needs an X display";
        std::printf("load average before: %s\n", load_average().c_str());
    }
    e2e::x_session x;
};

TEST_F(Responsiveness, ExecToTheFirstPicture) {
    spread times;
    for (int round = 0; round < setting("E2E_ROUNDS", 1) * 3; round++) {
        running_demo d(x);
        std::optional<double> first = d.first_picture(5000);
        ASSERT_TRUE(first.has_value()) << d.demo.standard_error();
        times.add(*first);
        x.close(d.w);
        ASSERT_TRUE(d.demo.wait_exit(2000).has_value());
    }
    std::printf("exec to the first picture: %s\n", times.text("ms").c_str());
}

TEST_F(Responsiveness, ShiftPressToTheFrameItCauses) {
    spread latencies, grab_times;
    for (int round = 0; round < setting("E2E_ROUNDS", 1); round++) {
        running_demo d(x);
        ASSERT_TRUE(d.first_picture(5000).has_value()) << d.demo.standard_error();
        x.watch_key_presses(d.w);
        // Past the first second: the demo then draws only when asked, or a second after it last drew.
        ASSERT_TRUE(d.change_from(grab_raw(x.display(), d.w, COUNTER), 3000).has_value());
        for (int press = 0; press < 20; press++) {
            usleep(120000); // the frame of the last press is shown by now
            const double grab_start = now_precise_ms();
            const std::string before = grab_raw(x.display(), d.w, COUNTER);
            grab_times.add(now_precise_ms() - grab_start);
            x.key_down(d.w, "Shift_L");
            std::optional<uint32_t> pressed = x.next_key_press_time(1000);
            std::optional<double> seen = d.change_from(before, 1000);
            x.key_up(d.w, "Shift_L");
            ASSERT_TRUE(pressed && seen) << d.demo.standard_error();
            // Both clocks are milliseconds of the monotonic clock; the server's wraps at 32 bits.
            latencies.add(std::fmod(*seen, 4294967296.0) - static_cast<double>(*pressed));
        }
        x.close(d.w);
        ASSERT_TRUE(d.demo.wait_exit(2000).has_value());
    }
    std::printf("Shift press to the frame in the window: %s\n", latencies.text("ms").c_str());
    std::printf("  (one grab of the window takes %s)\n", grab_times.text("ms").c_str());
}

TEST_F(Responsiveness, TheWaitingDemoCostsLittle) {
    const int seconds = setting("E2E_IDLE_SECONDS", 10);
    spread shares;
    for (int round = 0; round < setting("E2E_ROUNDS", 1); round++) {
        running_demo d(x);
        ASSERT_TRUE(d.first_picture(5000).has_value()) << d.demo.standard_error();
        usleep(1500000); // past the start-up
        const auto before = thread_times(d.demo.pid());
        const double from = now_precise_ms();
        sleep(static_cast<unsigned>(seconds));
        const auto after = thread_times(d.demo.pid());
        const double elapsed_ns = (now_precise_ms() - from) * 1e6;
        double total = 0;
        std::ostringstream threads;
        for (const auto &[tid, named] : after) {
            const auto was = before.find(tid);
            const double used = named.second - (was == before.end() ? 0.0 : was->second.second);
            total += used;
            char line[160];
            std::snprintf(line, sizeof line, "  thread %d (%s): %.3f %% of a core\n", tid, named.first.c_str(),
                          100.0 * used / elapsed_ns);
            threads << line;
        }
        shares.add(100.0 * total / elapsed_ns);
        std::printf("waiting demo, round %d: %.3f %% of a core over %d s, peak resident %ld kB\n%s", round + 1,
                    100.0 * total / elapsed_ns, seconds, peak_resident_kb(d.demo.pid()), threads.str().c_str());
        x.close(d.w);
        ASSERT_TRUE(d.demo.wait_exit(2000).has_value());
    }
    std::printf("the waiting demo's share of one core: %s\n", shares.text("%").c_str());
    std::printf("load average after: %s\n", load_average().c_str());
}

} // namespace
