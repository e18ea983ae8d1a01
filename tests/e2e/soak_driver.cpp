// The soak: the demo left running for a long time under real key presses. It presses Shift a
// given number of times, each press waiting for the frame it draws, and then leaves the demo
// alone for a given time, reading the frame counter off the screen and the resident memory of the
// process throughout.
//
// What must hold: each press draws exactly one frame (the counter rises by one per press, never
// by two); left alone, the demo draws one frame per second (one SLEEP of a second plus the time to
// draw); the resident memory measured after the first 100 frames grows by at most 1 MB; nothing
// is logged at WARN or above (the demo runs with the console log at that level); the close button
// then ends it with status 0. Prints the figures and exits with 0 when all of it holds.
//
// Usage (with DISPLAY set): soak_driver DEMO PRESSES IDLE_SECONDS
#include <X11/Xutil.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

#include "screen/charset_data.h"
#include "x_session.h"

namespace {

constexpr const char *TITLE = "Spinavorte - (C) dzm/TeKoN^ZT^JW 2025";

// The demo prints "Frames Drawn:" at row 2, column 2, then the counter with its sign space, in
// light cyan: the digits start at column 16.
constexpr int COUNTER_ROW = 2, COUNTER_COLUMN = 16, MAX_DIGITS = 9;
constexpr unsigned long CYAN = 0x55FFFF;

// The counter as the window shows it, or nothing while it cannot be read.
std::optional<long> read_counter(e2e::x_session &x, Window w) {
    const int left = (COUNTER_COLUMN - 1) * 8, top = (COUNTER_ROW - 1) * 16;
    XImage *image = XGetImage(x.display(), w, left, top, MAX_DIGITS * 8, 16, AllPlanes, ZPixmap);
    if (!image) return std::nullopt;
    long value = 0;
    int digits = 0;
    for (int cell = 0; cell < MAX_DIGITS; cell++) {
        int found = -1;
        for (int d = 0; d <= 9 && found < 0; d++) {
            bool same = true;
            for (int y = 0; y < 16 && same; y++)
                for (int bit = 0; bit < 8 && same; bit++) {
                    const bool set = charset8x16_rows[('0' + d) * 16 + y] & (0x80 >> bit);
                    same = ((XGetPixel(image, cell * 8 + bit, y) & 0xFFFFFF) == CYAN) == set;
                }
            if (same) found = d;
        }
        if (found < 0) break;
        value = value * 10 + found;
        digits++;
    }
    XDestroyImage(image);
    if (digits == 0) return std::nullopt;
    return value;
}

// Waits up to `ms` for the counter to reach at least `wanted`; returns what it read last.
std::optional<long> wait_for_counter(e2e::x_session &x, Window w, long wanted, int ms) {
    std::optional<long> seen;
    const int64_t until = e2e::now_ms() + ms;
    do {
        if (std::optional<long> now = read_counter(x, w)) {
            seen = now;
            if (*now >= wanted) return seen;
        }
        usleep(3000);
    } while (e2e::now_ms() < until);
    return seen;
}

long resident_kb(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s DEMO PRESSES IDLE_SECONDS\n", argv[0]);
        return 2;
    }
    const long presses = std::atol(argv[2]);
    const long idle_seconds = std::atol(argv[3]);
    e2e::x_session x;
    if (!x.ok()) {
        std::fprintf(stderr, "soak: no X display\n");
        return 2;
    }
    e2e::program demo(
        argv[1], {},
        {"ZORVEX_LOG_HANDLERS=console", "ZORVEX_LOG_LEVEL=warn", "ZORVEX_LOG_SCOPES", "ZORVEX_LOG_FILE_PATH"});
    const Window w = x.find_window(TITLE, 10000);
    if (!w) {
        std::fprintf(stderr, "soak: the demo's window did not appear\n%s", demo.standard_error().c_str());
        return 1;
    }
    x.move_onto_screen(w);
    if (wait_for_counter(x, w, 1, 5000) != 1L) {
        std::fprintf(stderr, "soak: the first frame was not shown\n");
        return 1;
    }

    // The press phase: each press must show the next number, and no other.
    long counter = 1, double_frames = 0, missed = 0, baseline_kb = -1, peak_kb = 0;
    const int64_t press_start = e2e::now_ms();
    for (long press = 1; press <= presses; press++) {
        x.tap(w, "Shift_L");
        const std::optional<long> seen = wait_for_counter(x, w, counter + 1, 2000);
        if (!seen || *seen <= counter) {
            missed++;
        } else {
            double_frames += *seen > counter + 1;
            counter = *seen;
        }
        if (counter >= 100 && baseline_kb < 0) baseline_kb = resident_kb(demo.pid());
        if (press % 100 == 0 && baseline_kb >= 0) peak_kb = std::max(peak_kb, resident_kb(demo.pid()));
    }
    const double press_seconds = static_cast<double>(e2e::now_ms() - press_start) / 1000.0;
    const long after_presses = counter;

    // The idle phase: one frame a second.
    const int64_t idle_start = e2e::now_ms();
    while (e2e::now_ms() - idle_start < idle_seconds * 1000) {
        const int64_t left_ms = idle_seconds * 1000 - (e2e::now_ms() - idle_start);
        usleep(static_cast<useconds_t>(std::min<int64_t>(left_ms, 10000)) * 1000);
        peak_kb = std::max(peak_kb, resident_kb(demo.pid()));
    }
    const double idle_elapsed = static_cast<double>(e2e::now_ms() - idle_start) / 1000.0;
    const std::optional<long> last = read_counter(x, w);
    const long idle_frames = last ? *last - after_presses : -1;
    const long final_kb = resident_kb(demo.pid());
    peak_kb = std::max(peak_kb, final_kb);

    x.close(w);
    const std::optional<int> status = demo.wait_exit(2000);
    const std::string log = demo.standard_error();

    std::printf("presses:                 %ld in %.1f s\n", presses, press_seconds);
    std::printf("counter after presses:   %ld (expected %ld)\n", after_presses, presses + 1);
    std::printf("presses without a frame: %ld, presses with two or more: %ld\n", missed, double_frames);
    std::printf("idle:                    %.1f s, %ld frames\n", idle_elapsed, idle_frames);
    std::printf("resident memory:         %ld kB after 100 frames, peak %ld kB, at the end %ld kB (growth %ld kB)\n",
                baseline_kb, peak_kb, final_kb, peak_kb - baseline_kb);
    std::printf("log at WARN or above:    %zu bytes%s%s\n", log.size(), log.empty() ? "" : ":\n", log.c_str());
    std::printf("exit status after close: %s\n", status ? std::to_string(*status).c_str() : "none");

    // Left alone the demo sleeps a second and then draws, so a frame takes a little over a second:
    // the count may fall short of the seconds by a few in a thousand, never exceed them.
    const bool idle_ok = idle_frames >= 0 && static_cast<double>(idle_frames) <= idle_elapsed + 1.0 &&
                         static_cast<double>(idle_frames) >= idle_elapsed * 0.98 - 1.0;
    const bool ok = after_presses == presses + 1 && missed == 0 && double_frames == 0 && idle_ok && baseline_kb > 0 &&
                    peak_kb - baseline_kb <= 1024 && log.empty() && status == 0;
    std::printf("soak %s\n", ok ? "passed" : "FAILED");
    return ok ? 0 : 1;
}
