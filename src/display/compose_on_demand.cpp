// Composition on demand: a frame composed the moment the program begins to wait.
//
// The housekeeping thread composes on its own cycle, about thirty times a second, whatever the
// program does. A program that draws and then waits (SLEEP, _DELAY, _LIMIT, a key wait) would see
// its picture only at the next step of that cycle, up to 33 ms later, and the step might even have
// caught it half drawn. So the program thread, as it begins to wait, asks for a composition, and the
// housekeeping thread, whose pauses between steps are timed waits that the request ends, composes
// at once: the frame shows the program at rest, and shows it now.
//
// The program thread asks only when the display page (its pixels, its palette, for text its
// cursor) differs from what it showed at the last request, which the program thread keeps a copy
// of: a program that polls INKEY$ in a loop, or waits again without drawing, wakes nobody. The
// request is one flag, taken by the housekeeping thread before it composes. Compositions made on
// request follow each other no faster than the window presents them (`max_fps`): a request that
// comes sooner is served when that period has passed. The cycle's own steps, its count in `frame`
// and the display lock are untouched.
//
// While the program thread waits and its picture stands still (a graphics page that does not
// blink), the cycle has nothing to do: its compositions would find nothing changed, and nobody
// reads the BIOS tick count or the retrace flags. The housekeeping thread then rests at the top of
// its cycle until the wait ends, still serving requests and looking ten times a second whether the
// program is to end; the program thread wakes it as its wait ends.
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include "libtq.h"

namespace {

using clock_type = std::chrono::steady_clock;

std::mutex request_lock;
std::condition_variable request_signal;
bool requested = false; // under request_lock
// Set with `requested` and cleared with it: the program thread's cheap test.
std::atomic<bool> request_pending{false};
// When the last composition on request began (housekeeping thread, under request_lock).
clock_type::time_point last_on_request{};

clock_type::duration presentation_period() {
    const double fps = max_fps.load();
    const double ms = fps > 0 ? 1000.0 / fps : 0.0;
    return std::chrono::duration_cast<clock_type::duration>(std::chrono::duration<double, std::milli>(ms));
}

// Housekeeping thread, under request_lock. The request is taken before the composition begins: one
// made while it runs may follow drawing that it did not see, and is served next.
void take_request() {
    requested = false;
    request_pending.store(false);
}

// What the display page showed at the last request: the program thread's own copy.
struct shown_state {
    const img_struct *image = nullptr;
    std::vector<uint8_t> pixels;
    uint32_t palette[256] = {};
    int32_t cursor[3] = {}; // text: column, row, shown

    // False when `p` shows what the copy holds; otherwise the copy takes it and the answer is true.
    bool changed_to(const img_struct &p) {
        const size_t size = static_cast<size_t>(p.width) * p.height * p.bytes_per_pixel;
        const int32_t now_cursor[3] = {p.text ? p.cursor_x : 0, p.text ? p.cursor_y : 0, p.text ? p.cursor_show : 0};
        if (&p == image && size == pixels.size() && std::memcmp(p.pixels, pixels.data(), size) == 0 &&
            (!p.pal || std::memcmp(p.pal, palette, sizeof palette) == 0) &&
            std::memcmp(now_cursor, cursor, sizeof cursor) == 0)
            return false;
        image = &p;
        pixels.assign(p.pixels, p.pixels + size);
        if (p.pal) std::memcpy(palette, p.pal, sizeof palette);
        std::memcpy(cursor, now_cursor, sizeof cursor);
        return true;
    }
};
shown_state shown_at_request;

// True while the program thread waits and its picture stands still. Written by the program thread
// as its waits begin and end.
std::atomic<bool> still_wait{false};
// The housekeeping thread rests: the end of a wait must wake it.
std::atomic<bool> resting{false};
// How often a resting housekeeping thread looks whether the program is to end (the close button
// only sets a word).
constexpr std::chrono::milliseconds REST_CHECK{100};

bool end_asked() { return (exit_value.load() && !exit_blocked.load()) || close_program.load(); }

// Waits under `hold` until `until` or until `done()` holds, composing whenever a request is due.
template <typename Done>
void serve_requests_until(std::unique_lock<std::mutex> &hold, clock_type::time_point until, Done done) {
    for (;;) {
        const clock_type::time_point now = clock_type::now();
        if (requested) {
            const clock_type::time_point allowed = last_on_request + presentation_period();
            if (now >= allowed) {
                last_on_request = now;
                take_request();
                hold.unlock();
                if (autodisplay.load() == 1) display();
                hold.lock();
                continue;
            }
            if (now >= until || done()) return; // served in a later pause
            request_signal.wait_until(hold, allowed < until ? allowed : until);
            continue;
        }
        if (now >= until || done()) return;
        request_signal.wait_until(hold, until);
    }
}

} // namespace

void composition_request() {
    if (autodisplay.load(std::memory_order_relaxed) != 1 || screen_hide.load(std::memory_order_relaxed)) return;
    const img_struct *shown = display_page.load();
    if (!shown || !shown->pixels || !shown_at_request.changed_to(*shown)) return;
    if (request_pending.exchange(true)) return;
    {
        std::lock_guard<std::mutex> hold(request_lock);
        requested = true;
    }
    request_signal.notify_one();
}

void compose_for_cycle() {
    {
        std::lock_guard<std::mutex> hold(request_lock);
        take_request();
    }
    if (autodisplay.load()) display();
}

void housekeeping_pause(int64_t ms) {
    std::unique_lock<std::mutex> hold(request_lock);
    serve_requests_until(hold, clock_type::now() + std::chrono::milliseconds(ms), [] { return false; });
}

void program_wait_begins() {
    // Text blinks its cursor and attributes, and screen mode 10 its colours: their frames change
    // while the program waits.
    const img_struct *shown = display_page.load();
    still_wait.store(!shown || (!shown->text && shown->mode != 10));
}

void program_wait_ends() {
    still_wait.store(false);
    if (resting.load()) {
        { std::lock_guard<std::mutex> hold(request_lock); }
        request_signal.notify_one();
    }
}

void housekeeping_rest() {
    std::unique_lock<std::mutex> hold(request_lock);
    // Announced before the wait is looked at: the program thread, which ends the wait before it
    // looks at `resting`, either sees it or is seen to have ended the wait.
    resting.store(true);
    auto rest_over = [] { return !still_wait.load() || end_asked(); };
    while (!rest_over()) serve_requests_until(hold, clock_type::now() + REST_CHECK, rest_over);
    resting.store(false);
}
