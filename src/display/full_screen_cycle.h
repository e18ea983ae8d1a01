// The full-screen key: Alt+Enter steps the window through its full-screen states, within the
// limits that _ALLOWFULLSCREEN sets. The keyboard asks for the step here; the display keeps the
// state and the next presentation applies the request.
#pragma once

// Window thread, from a key press. False when _ALLOWFULLSCREEN has switched the full-screen key
// off: nothing changes, and the key is an ordinary key. Otherwise requests the next accepted state
// after the current one (windowed, stretched, stretched and smoothed, square pixels, square
// pixels and smoothed, then windowed again) and returns true.
bool cycle_full_screen();
