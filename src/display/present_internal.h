// The window thread's renderer: texture-backed images and the tracked OpenGL state.
#pragma once

#include <cstdint>

// Filtering and wrapping last sent for a texture; -1 while unknown.
struct texture_state_struct {
    int32_t smooth_stretched;
    int32_t smooth_shrunk;
    int32_t texture_wrap;
    int32_t PO2_fix; // 0 texture as given, 1 padded to powers of two, 2 mipmaps built
};

// One texture-backed image, a record of the thread-safe list `hardware_img_handles`.
struct hardware_img_struct {
    int32_t w, h;
    uint32_t texture_handle;         // OpenGL texture name, 0 until made
    uint32_t *software_pixel_buffer; // pixels kept for a texture made later
    texture_state_struct texture_state;
    int32_t PO2_w, PO2_h; // texture size used for coordinates when PO2_fix is set
};
static_assert(sizeof(hardware_img_struct) <= 72, "the image list's records hold 72 bytes");

// The renderer's record of the current OpenGL state, so that a state is sent only when it changes.
struct render_state_struct {
    int32_t dest = -2; // 0 the window; -2 unknown
    int32_t source = -1;
    int32_t view_mode = 0; // 0 unknown, 1 two-dimensional, 2 three-dimensional
    int32_t use_alpha = -1;
    int32_t depthbuffer_mode = -1;
    int32_t cull_mode = -1;
    texture_state_struct *source_texture_state = nullptr;
};
extern render_state_struct render_state;
extern uint32_t *NPO2_buffer;
extern int32_t NPO2_buffer_size_in_pixels;

void hardware_buffer_flush();
void set_view(int32_t mode);
void set_render_dest(int32_t image);
void set_render_source(int32_t image);
void set_smooth(int32_t shrunk, int32_t stretched);
void set_texture_wrap(int32_t mode);
void set_alpha(int32_t on);
void set_depthbuffer(int32_t mode);
void set_cull_mode(int32_t mode);
const uint32_t *NPO2_texture_generate(int32_t width, int32_t height, const uint32_t *pixels, int32_t &po2_w,
                                      int32_t &po2_h);
int32_t new_hardware_img(int32_t width, int32_t height, const uint32_t *pixels, int32_t flags);
void free_hardware_img(int32_t handle, int32_t caller_tag);
void hardware_img_put(int32_t dx1, int32_t dy1, int32_t dx2, int32_t dy2, int32_t image, int32_t destination,
                      int32_t sx1, int32_t sy1, int32_t sx2, int32_t sy2, int32_t blend, int32_t smooth);
