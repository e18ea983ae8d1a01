// The window statements: _TITLE, _FPS, _RESIZE, _FULLSCREEN, _ALLOWFULLSCREEN, _DISPLAYORDER,
// _GLRENDER and _HASFOCUS. They run on the program thread and only store whole words; the window thread picks
// them up at its next presentation (the title through a window request).
#include <cstdlib>
#include <cstring>

#include "libtq.h"
#include "platform/keyboard.h"
#include "platform/platform.h"

std::atomic<char *> window_title{nullptr};

void sub__title_text(const char *text, int32_t length) {
    if (new_error) return;
    if (length < 0) length = 0;
    auto *copy = static_cast<char *>(std::malloc(static_cast<size_t>(length) + 1));
    if (!copy) return;
    if (length) std::memcpy(copy, text, static_cast<size_t>(length));
    copy[length] = 0;
    std::free(window_title.exchange(copy));
    if (libtq_is_glut_up()) libtq_glut_set_window_title(copy);
}

void sub__title(tqs *text) {
    if (new_error) return;
    sub__title_text(reinterpret_cast<const char *>(text->data), text->length);
}

void sub__fps(double rate, int32_t option) {
    if (new_error) return;
    if (option == 1) return; // automatic pacing: the rate stays as it is
    if (option != 2 || !(rate >= 1.0)) {
        error(5);
        return;
    }
    max_fps = rate > 200.0 ? 200.0 : rate;
}

void sub__resize(int32_t on_off, int32_t scaling) {
    if (new_error) return;
    if (on_off == 1) resize_snapback = 0;
    if (on_off == 2) resize_snapback = 1;
    resize_auto = scaling ? scaling : 0;
}

int32_t func__resize() {
    if (resize_snapback.load() == 0 && resize_event.load()) {
        resize_event = 0;
        return -1;
    }
    return 0;
}
int32_t func__resizewidth() { return resize_event_x.load(); }
int32_t func__resizeheight() { return resize_event_y.load(); }
int32_t func__scaledwidth() { return environment_2d__screen_scaled_width.load(); }
int32_t func__scaledheight() { return environment_2d__screen_scaled_height.load(); }

void sub__fullscreen(int32_t method, int32_t options) {
    if (new_error) return;
    static constexpr int32_t mode_of_method[5] = {1, 0, 1, 2, 0};
    int32_t mode = method >= 0 && method <= 4 ? mode_of_method[method] : 0;
    fullscreen_smooth = options & 1;
    if (mode != full_screen.load()) {
        full_screen_set = mode;
        plat::wake_window_thread();
    }
    force_display_update = 1;
}

void sub__allowfullscreen(int32_t mode, int32_t smooth) {
    if (new_error) return;
    fullscreen_allowedmode = (mode == 3 || mode == 5) ? -1 : (mode == 0 || mode == 4) ? 0 : mode;
    fullscreen_allowedsmooth = (smooth == 2 || smooth == 4) ? -1 : (smooth == 0 || smooth == 3) ? 0 : smooth;
}

int32_t func__fullscreen() {
    int32_t wanted = full_screen_set.load();
    return wanted != -1 ? wanted : full_screen.load();
}
int32_t func__fullscreensmooth() { return -fullscreen_smooth.load(); }

int32_t func__hasfocus() {
    if (new_error || !libtq_is_glut_up()) return TQ_FALSE;
    return plat::window_has_focus(window_handle) ? TQ_TRUE : TQ_FALSE;
}

void sub__displayorder(int32_t a, int32_t b, int32_t c, int32_t d) {
    if (new_error) return;
    const int32_t kinds[4] = {a, b, c, d};
    int32_t position[5] = {0, 0, 0, 0, 0};
    for (int32_t i = 0; i < 4; i++) {
        int32_t k = kinds[i];
        if (k < 0 || k > 4) {
            error(5);
            return;
        }
        if (k == 0) continue;
        if (position[k]) {
            error(5);
            return;
        }
        position[k] = i + 1;
    }
    displayorder_screen = position[1];
    displayorder_hardware = position[2];
    displayorder_hardware1 = position[3];
    displayorder_glrender = position[4];
}

void sub__glrender(int32_t mode) {
    if (mode == 1) sub__displayorder(4, 1, 2, 3);
    if (mode == 2) sub__displayorder(1, 2, 4, 3);
    if (mode == 3) sub__displayorder(4, 0, 0, 0);
}
