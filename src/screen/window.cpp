// WINDOW: a program's own coordinate system, spread over the viewport.
#include <utility>

#include "libtq.h"
#include "screen/screen_internal.h"

void tqg_sub_window(float x1, float y1, float x2, float y2, int32_t passed) {
    if (new_error) return;
    img_struct *im = write_page;
    const bool coordinates = passed & 1;
    const bool screen_axes = passed & 2;
    if (im->text || (screen_axes && !coordinates) || (coordinates && (x1 == x2 || y1 == y2))) {
        error(5);
        return;
    }
    // The graphics cursor keeps its place on the page across the change of coordinates.
    float cursor_x = im->x, cursor_y = im->y;
    if (im->clipping_or_scaling == 2) {
        cursor_x = im->x * im->scaling_x + im->scaling_offset_x;
        cursor_y = im->y * im->scaling_y + im->scaling_offset_y;
    }
    const float last_x = static_cast<float>(im->width - 1), last_y = static_cast<float>(im->height - 1);
    if (coordinates) {
        if (x1 > x2) std::swap(x1, x2);
        if (y1 > y2) std::swap(y1, y2);
        if (!screen_axes) std::swap(y1, y2); // the y axis points up
        const float view_width = static_cast<float>(im->view_x2 - im->view_x1);
        const float view_height = static_cast<float>(im->view_y2 - im->view_y1);
        im->clipping_or_scaling = 2;
        im->scaling_x = view_width / (x2 - x1);
        im->scaling_y = view_height / (y2 - y1);
        im->scaling_offset_x = -x1 * im->scaling_x;
        im->scaling_offset_y = screen_axes ? -y1 * im->scaling_y : -y2 * im->scaling_y + view_height;
        im->window_x1 = x1;
        im->window_y1 = y1;
        im->window_x2 = x2;
        im->window_y2 = y2;
        const bool identity = x1 == 0 && y1 == 0 && x2 == last_x && y2 == last_y && im->scaling_x == 1 &&
                              im->scaling_y == 1 && im->scaling_offset_x == 0 && im->scaling_offset_y == 0;
        if (!identity) {
            im->x = (cursor_x - im->scaling_offset_x) / im->scaling_x;
            im->y = (cursor_y - im->scaling_offset_y) / im->scaling_y;
            return;
        }
    }
    im->clipping_or_scaling = 1;
    im->scaling_x = 1;
    im->scaling_y = 1;
    im->scaling_offset_x = 0;
    im->scaling_offset_y = 0;
    im->window_x1 = 0;
    im->window_y1 = 0;
    im->window_x2 = last_x;
    im->window_y2 = last_y;
    if (im->view_x1 == 0 && im->view_y1 == 0 && im->view_x2 == im->width - 1 && im->view_y2 == im->height - 1 &&
        im->view_offset_x == 0 && im->view_offset_y == 0)
        im->clipping_or_scaling = 0;
    im->x = cursor_x;
    im->y = cursor_y;
}
