// The full-screen key's cycle of states. The current state is the request still pending, or else
// the mode the window shows, together with the smoothing.
#include "display/full_screen_cycle.h"

#include "libtq.h"

namespace {

// The states in the order the key steps through them: 0 windowed, then for full-screen modes 1
// (stretched) and 2 (square pixels) first unsmoothed, then smoothed.
constexpr int32_t STATES = 5;
constexpr int32_t state_of(int32_t mode, bool smooth) {
    return mode == 1 || mode == 2 ? (mode - 1) * 2 + 1 + (smooth ? 1 : 0) : 0;
}
constexpr int32_t mode_of(int32_t state) { return (state + 1) / 2; }
constexpr bool smooth_of(int32_t state) { return state != 0 && state % 2 == 0; }

// _ALLOWFULLSCREEN's limits: a mode of 1 or 2 allows only that mode; a smoothing of 1 only
// smoothed states, -1 only unsmoothed ones. Windowed is always allowed.
bool allowed(int32_t state, int32_t allowed_mode, int32_t allowed_smooth) {
    if (state == 0) return true;
    if (allowed_mode >= 1 && allowed_mode != mode_of(state)) return false;
    if (allowed_smooth == 1 && !smooth_of(state)) return false;
    if (allowed_smooth == -1 && smooth_of(state)) return false;
    return true;
}

} // namespace

bool cycle_full_screen() {
    const int32_t allowed_mode = fullscreen_allowedmode.load(), allowed_smooth = fullscreen_allowedsmooth.load();
    if (allowed_mode < 0) return false;
    const int32_t pending = full_screen_set.load();
    const int32_t shown = full_screen;
    int32_t state = state_of(pending != -1 ? pending : shown, fullscreen_smooth.load() != 0);
    do state = (state + 1) % STATES;
    while (!allowed(state, allowed_mode, allowed_smooth));
    fullscreen_smooth = smooth_of(state) ? 1 : 0;
    // A request still pending is replaced even when the new mode is the one the window shows, or
    // the window would go on to the state the user has just stepped past.
    if (mode_of(state) != shown || pending != -1) full_screen_set = mode_of(state);
    force_display_update = 1;
    return true;
}
