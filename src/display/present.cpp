// Presentation: the window thread's side of the display.
//
// The composer leaves finished 32-bit frames in the three frame records. On every paced redisplay
// the window thread takes the newest ready frame (or keeps the one it shows), keeps the window's
// size in step with the frame's, works out where the frame lies in the window (unscaled, stretched,
// or scaled with its aspect kept and black bars beside it), uploads a new frame once as a texture
// and draws it as two textured triangles, then swaps buffers. When nothing changed since the last
// presentation it draws nothing at all.
//
// Everything here runs on the window thread. OpenGL state changes go through the render-state
// setters, which change a state only when the requested value differs, and queued triangles are
// flushed before any state changes.
// GLEW's header must come before any other OpenGL header.
#include <GL/glew.h>

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "display/frames_internal.h"
#include "display/present_internal.h"
#include "display/window_internal.h"
#include "libtq.h"
#include "platform/platform.h"

int32_t display_x = 640, display_y = 400, display_x_prev = 640, display_y_prev = 400;
int32_t display_required_x = 640, display_required_y = 400;
int32_t resize_snapback_x = 640, resize_snapback_y = 400;
std::atomic<int32_t> resize_snapback{1};
std::atomic<int32_t> resize_auto{0};
float resize_auto_ideal_aspect = 1.6f, resize_auto_accept_aspect = 1.6f;
int32_t resize_pending = 1;
std::atomic<int32_t> resize_event{0}, resize_event_x{0}, resize_event_y{0};
int32_t os_resize_event = 0;
int32_t full_screen = 0;
std::atomic<int32_t> full_screen_set{-1};
std::atomic<int32_t> fullscreen_smooth{0};
std::atomic<int32_t> fullscreen_allowedmode{0}, fullscreen_allowedsmooth{0};
std::atomic<double> max_fps{60.0};
int32_t environment_2d__screen_width = 0, environment_2d__screen_height = 0;
int32_t environment__window_width = 0, environment__window_height = 0;
int32_t environment_2d__screen_x1 = 0, environment_2d__screen_y1 = 0, environment_2d__screen_x2 = 0,
        environment_2d__screen_y2 = 0;
float environment_2d__screen_x_scale = 1.0f, environment_2d__screen_y_scale = 1.0f;
int32_t environment_2d__screen_scaled_width = 640, environment_2d__screen_scaled_height = 400;
int32_t environment_2d__screen_smooth = 0;
int32_t environment_2d__letterbox = 0;
std::atomic<int32_t> displayorder_screen{1}, displayorder_hardware{2}, displayorder_glrender{3},
    displayorder_hardware1{4};
int64_t last_rendered_hardware_display_frame_order = 0;
int32_t software_screen_hardware_frame = 0;
int32_t force_NPO2_fix = 0;
bool window_exposed = true;

render_state_struct render_state;
uint32_t *NPO2_buffer = nullptr;
int32_t NPO2_buffer_size_in_pixels = 0;

namespace {

bool presenting = false;                // guards against re-entry
int32_t letterbox_bar_image = 0;        // a 1 x 1 black image, made at the first letterbox use
std::vector<float> vertices, texcoords; // queued triangles, two coordinates per vertex

hardware_img_struct *image_record(int32_t handle) {
    return static_cast<hardware_img_struct *>(list_get(hardware_img_handles, handle));
}

void clear_gl_errors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; i++) {
    }
}

bool upload(int32_t w, int32_t h, const void *pixels) {
    clear_gl_errors();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    return glGetError() == GL_NO_ERROR;
}

void add_vertex(float x, float y, float s, float t) {
    vertices.push_back(x);
    vertices.push_back(y);
    texcoords.push_back(s);
    texcoords.push_back(t);
}

// The texture coordinate of each end of a source span: the smaller coordinate maps to a point just
// inside its texel's leading edge, the larger to just inside its trailing edge, so that every
// source texel is covered exactly.
void span_coordinates(int32_t from, int32_t to, int32_t size, float &tfrom, float &tto) {
    float fsize = static_cast<float>(size);
    if (from <= to) {
        tfrom = (static_cast<float>(from) + 0.01f) / fsize;
        tto = (static_cast<float>(to) + 0.99f) / fsize;
    } else {
        tfrom = (static_cast<float>(from) + 0.99f) / fsize;
        tto = (static_cast<float>(to) + 0.01f) / fsize;
    }
}

} // namespace

// ---- placement ----------------------------------------------------------------------------------------

void prepare_environment_2d() {
    bool scale_allowed = false, aspect_kept = false;
    environment_2d__screen_smooth = 0;
    environment_2d__letterbox = 0;
    if (full_screen > 0) {
        scale_allowed = true;
        aspect_kept = full_screen == 2;
        environment_2d__screen_smooth = fullscreen_smooth.load();
    } else if (resize_auto.load() > 0) {
        scale_allowed = true;
        if (resize_auto.load() == 2) environment_2d__screen_smooth = 1;
    }
    const int32_t sw = environment_2d__screen_width, sh = environment_2d__screen_height;
    const int32_t ww = environment__window_width, wh = environment__window_height;
    int32_t x1, y1, x2, y2;
    if (sw == ww && sh == wh) {
        x1 = y1 = 0;
        x2 = sw - 1;
        y2 = sh - 1;
        environment_2d__screen_smooth = 0;
    } else {
        float window_aspect = static_cast<float>(ww) / static_cast<float>(wh);
        float frame_aspect = static_cast<float>(sw) / static_cast<float>(sh);
        if (!scale_allowed) {
            x1 = y1 = 0;
            x2 = sw - 1;
            y2 = sh - 1;
        } else if (!aspect_kept || window_aspect == frame_aspect) {
            x1 = y1 = 0;
            x2 = ww - 1;
            y2 = wh - 1;
        } else if (window_aspect > frame_aspect) {
            int32_t new_width = static_cast<int32_t>(static_cast<float>(wh) * frame_aspect);
            x1 = ww / 2 - new_width / 2;
            x2 = x1 + new_width - 1;
            y1 = 0;
            y2 = wh - 1;
            environment_2d__letterbox = 1;
        } else {
            int32_t new_height = static_cast<int32_t>(static_cast<float>(ww) / frame_aspect);
            y1 = wh / 2 - new_height / 2;
            y2 = y1 + new_height - 1;
            x1 = 0;
            x2 = ww - 1;
            environment_2d__letterbox = 2;
        }
    }
    environment_2d__screen_x1 = x1;
    environment_2d__screen_y1 = y1;
    environment_2d__screen_x2 = x2;
    environment_2d__screen_y2 = y2;
    environment_2d__screen_scaled_width = x2 - x1 + 1;
    environment_2d__screen_scaled_height = y2 - y1 + 1;
    environment_2d__screen_x_scale =
        static_cast<float>(environment_2d__screen_scaled_width) / static_cast<float>(sw ? sw : 1);
    environment_2d__screen_y_scale =
        static_cast<float>(environment_2d__screen_scaled_height) / static_cast<float>(sh ? sh : 1);
}

void environment_2d__screen_to_window_rect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t &wx1, int32_t &wy1,
                                           int32_t &wx2, int32_t &wy2) {
    const float xs = environment_2d__screen_x_scale, ys = environment_2d__screen_y_scale;
    wx1 = static_cast<int32_t>(std::nearbyint(static_cast<float>(x1) * xs)) + environment_2d__screen_x1;
    wy1 = static_cast<int32_t>(std::nearbyint(static_cast<float>(y1) * ys)) + environment_2d__screen_y1;
    int32_t width = static_cast<int32_t>(static_cast<float>(std::abs(x2 - x1) + 1) * xs + 0.99f);
    int32_t height = static_cast<int32_t>(static_cast<float>(std::abs(y2 - y1) + 1) * ys + 0.99f);
    wx2 = wx1 + width - 1;
    wy2 = wy1 + height - 1;
}

// ---- render state --------------------------------------------------------------------------------------

void hardware_buffer_flush() {
    if (vertices.empty()) return;
    glVertexPointer(2, GL_FLOAT, 0, vertices.data());
    glTexCoordPointer(2, GL_FLOAT, 0, texcoords.data());
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size() / 2));
    vertices.clear();
    texcoords.clear();
}

void set_view(int32_t mode) {
    if (mode == 0) {
        hardware_buffer_flush();
        render_state.view_mode = 0;
        return;
    }
    if (mode == 3) {
        hardware_buffer_flush();
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_TEXTURE_2D);
        render_state = render_state_struct{};
        return;
    }
    if (mode != 1 || render_state.view_mode == 1) return;
    hardware_buffer_flush();
    if (render_state.view_mode != 2) {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glDisable(GL_COLOR_MATERIAL);
        glDisable(GL_LIGHTING);
        glEnable(GL_BLEND);
        render_state.use_alpha = -1; // blending was switched on behind the tracked value
        glEnable(GL_TEXTURE_2D);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glCullFace(GL_BACK);
    }
    const double w = environment__window_width, h = environment__window_height;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, w, 0.0, h, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(1.0f, -1.0f, 1.0f);
    glTranslatef(0.0f, static_cast<float>(-h), 0.0f);
    glViewport(0, 0, environment__window_width, environment__window_height);
    render_state.view_mode = 1;
}

void set_render_dest(int32_t image) {
    if (image == -1) {
        hardware_buffer_flush();
        render_state.dest = -2;
        return;
    }
    if (image != 0 || render_state.dest == 0) return; // other destinations are not drawn into here
    hardware_buffer_flush();
    set_view(0);
    if (framebufferobjects_supported) glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    render_state.dest = 0;
}

void set_render_source(int32_t image) {
    if (image == -1) {
        hardware_buffer_flush();
        render_state.source = -1;
        render_state.source_texture_state = nullptr;
        return;
    }
    if (render_state.source == image) return;
    hardware_buffer_flush();
    hardware_img_struct *record = image_record(image);
    if (!record) return;
    if (!record->texture_handle && record->software_pixel_buffer) {
        glGenTextures(1, &record->texture_handle);
        glBindTexture(GL_TEXTURE_2D, record->texture_handle);
        upload(record->w, record->h, record->software_pixel_buffer);
        std::free(record->software_pixel_buffer);
        record->software_pixel_buffer = nullptr;
    }
    glBindTexture(GL_TEXTURE_2D, record->texture_handle);
    render_state.source = image;
    render_state.source_texture_state = &record->texture_state;
    if (!framebufferobjects_supported) {
        record->texture_state.smooth_shrunk = -1;
        record->texture_state.smooth_stretched = -1;
    }
}

void set_smooth(int32_t shrunk, int32_t stretched) {
    texture_state_struct *state = render_state.source_texture_state;
    if (!state) return;
    if (state->smooth_shrunk != shrunk) {
        hardware_buffer_flush();
        GLint filter = shrunk ? GL_LINEAR : (state->PO2_fix == 2 ? GL_LINEAR : GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        state->smooth_shrunk = shrunk;
    }
    if (state->smooth_stretched != stretched) {
        hardware_buffer_flush();
        GLint filter = stretched ? GL_LINEAR : (state->PO2_fix == 2 ? GL_LINEAR : GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        state->smooth_stretched = stretched;
    }
}

void set_texture_wrap(int32_t mode) {
    texture_state_struct *state = render_state.source_texture_state;
    if (!state || state->texture_wrap == mode) return;
    hardware_buffer_flush();
    GLint wrap = mode ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    state->texture_wrap = mode;
}

void set_alpha(int32_t on) {
    if (render_state.use_alpha == on) return;
    hardware_buffer_flush();
    if (on) {
        glEnable(GL_BLEND);
        if (framebufferobjects_supported)
            glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE);
        else
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
    render_state.use_alpha = on;
}

void set_depthbuffer(int32_t mode) {
    if (render_state.depthbuffer_mode == mode) return;
    hardware_buffer_flush();
    if (mode == 0) {
        glDisable(GL_DEPTH_TEST);
        glAlphaFunc(GL_ALWAYS, 0.0f);
    } else if (mode == 1) {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.001f);
    } else {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_FALSE);
        glAlphaFunc(GL_ALWAYS, 0.0f);
    }
    render_state.depthbuffer_mode = mode;
}

void set_cull_mode(int32_t mode) {
    if (render_state.cull_mode == mode) return;
    hardware_buffer_flush();
    if (mode == 0) {
        glDisable(GL_CULL_FACE);
    } else {
        glFrontFace(mode == 1 ? GL_CCW : GL_CW);
        glEnable(GL_CULL_FACE);
    }
    render_state.cull_mode = mode;
}

// ---- texture-backed images -------------------------------------------------------------------------------

const uint32_t *NPO2_texture_generate(int32_t width, int32_t height, const uint32_t *pixels, int32_t &po2_w,
                                      int32_t &po2_h) {
    auto next_power = [](int32_t v) {
        int32_t p = 1;
        while (p < v) p <<= 1;
        return p;
    };
    po2_w = next_power(width);
    po2_h = next_power(height);
    if (po2_w == width && po2_h == height) return pixels;
    int64_t need = static_cast<int64_t>(po2_w) * po2_h;
    if (need > NPO2_buffer_size_in_pixels) {
        auto *grown = static_cast<uint32_t *>(std::realloc(NPO2_buffer, static_cast<size_t>(need) * 4));
        if (!grown) return nullptr;
        NPO2_buffer = grown;
        NPO2_buffer_size_in_pixels = static_cast<int32_t>(need);
    }
    for (int32_t y = 0; y < height; y++) {
        uint32_t *row = NPO2_buffer + static_cast<int64_t>(y) * po2_w;
        std::memcpy(row, pixels + static_cast<int64_t>(y) * width, static_cast<size_t>(width) * 4);
        if (po2_w > width) row[width] = row[width - 1]; // repeated once, for filtering at the edge
    }
    if (po2_h > height) {
        int32_t length = width + (po2_w > width ? 1 : 0);
        std::memcpy(NPO2_buffer + static_cast<int64_t>(height) * po2_w,
                    NPO2_buffer + static_cast<int64_t>(height - 1) * po2_w, static_cast<size_t>(length) * 4);
    }
    return NPO2_buffer;
}

int32_t new_hardware_img(int32_t width, int32_t height, const uint32_t *pixels, int32_t) {
    int32_t handle = static_cast<int32_t>(list_add(hardware_img_handles));
    hardware_img_struct *record = image_record(handle);
    if (!record) return 0;
    record->w = width;
    record->h = height;
    record->texture_state = texture_state_struct{-1, -1, -1, 0};
    glGenTextures(1, &record->texture_handle);
    glBindTexture(GL_TEXTURE_2D, record->texture_handle);
    bool done = !force_NPO2_fix && upload(width, height, pixels);
    if (!done) {
        int32_t pw = 0, ph = 0;
        const uint32_t *padded = NPO2_texture_generate(width, height, pixels, pw, ph);
        if (padded && upload(pw, ph, padded)) {
            record->texture_state.PO2_fix = 1;
            record->PO2_w = pw;
            record->PO2_h = ph;
        } else {
            clear_gl_errors();
            int status = gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
            if (status != 0) {
                char text[64];
                std::snprintf(text, sizeof text, "gluBuild2DMipmaps failed: %i", status);
                gui_alert(text, "Alert", "ok");
            }
            record->texture_state.PO2_fix = 2;
            record->PO2_w = width;
            record->PO2_h = height;
        }
    }
    set_render_source(-1);
    return handle;
}

void free_hardware_img(int32_t handle, int32_t) {
    hardware_img_struct *record = image_record(handle);
    if (!record) {
        gui_alert("free_hardware_img: image does not exist", "Alert", "ok");
        return;
    }
    if (render_state.source == handle) set_render_source(-1);
    if (record->texture_handle) glDeleteTextures(1, &record->texture_handle);
    std::free(record->software_pixel_buffer);
    record->software_pixel_buffer = nullptr;
    list_remove(hardware_img_handles, handle);
}

void hardware_img_put(int32_t dx1, int32_t dy1, int32_t dx2, int32_t dy2, int32_t image, int32_t destination,
                      int32_t sx1, int32_t sy1, int32_t sx2, int32_t sy2, int32_t blend, int32_t smooth) {
    if (destination < 0) destination = 0;
    if (dx2 < dx1) {
        std::swap(dx1, dx2);
        std::swap(sx1, sx2);
    }
    if (dy2 < dy1) {
        std::swap(dy1, dy2);
        std::swap(sy1, sy2);
    }
    set_render_dest(destination);
    set_view(1);
    if (destination == 0) environment_2d__screen_to_window_rect(dx1, dy1, dx2, dy2, dx1, dy1, dx2, dy2);
    set_render_source(image);
    set_smooth(smooth, smooth);
    set_alpha(blend);
    set_depthbuffer(0);
    set_cull_mode(0);
    set_texture_wrap(0);
    hardware_img_struct *record = image_record(image);
    if (!record) return;
    int32_t tw = record->w, th = record->h;
    if (record->texture_state.PO2_fix) {
        tw = record->PO2_w;
        th = record->PO2_h;
    }
    float s1, s2, t1, t2;
    span_coordinates(sx1, sx2, tw, s1, s2);
    span_coordinates(sy1, sy2, th, t1, t2);
    const float x1 = static_cast<float>(dx1), y1 = static_cast<float>(dy1);
    const float x2 = static_cast<float>(dx2 + 1), y2 = static_cast<float>(dy2 + 1);
    add_vertex(x1, y1, s1, t1);
    add_vertex(x2, y1, s2, t1);
    add_vertex(x1, y2, s1, t2);
    add_vertex(x2, y1, s2, t1);
    add_vertex(x1, y2, s1, t2);
    add_vertex(x2, y2, s2, t2);
}

// ---- presentation ----------------------------------------------------------------------------------------

namespace {

void request_window_size(int32_t width, int32_t height) {
    if (!ZORV_Resizable()) plat::set_window_size_hints(false, width, height);
    glutReshapeWindow(width, height);
    glutPostRedisplay();
    resize_pending = 1;
}

void fit_window_to_frame(int32_t w, int32_t h) {
    display_required_x = w;
    display_required_y = h;
    bool changed = w != resize_snapback_x || h != resize_snapback_y;
    resize_auto_ideal_aspect = static_cast<float>(w) / static_cast<float>(h);
    resize_snapback_x = w;
    resize_snapback_y = h;
    float window_aspect = static_cast<float>(display_x) / static_cast<float>(display_y);
    if (resize_auto.load() && window_aspect != resize_auto_accept_aspect && window_aspect != resize_auto_ideal_aspect) {
        const float ideal = resize_auto_ideal_aspect;
        int32_t nw, nh;
        // Keep the dimension the user changed: the width when the height stayed (also when neither
        // changed), the height when the width stayed, else the one that changed more.
        bool keep_height;
        if (display_y == display_y_prev)
            keep_height = false;
        else if (display_x == display_x_prev)
            keep_height = true;
        else
            keep_height = std::abs(display_y - display_y_prev) >= std::abs(display_x - display_x_prev);
        if (keep_height) {
            nh = display_y;
            nw = static_cast<int32_t>(static_cast<float>(nh) * ideal);
        } else {
            nw = display_x;
            nh = static_cast<int32_t>(static_cast<float>(nw) / ideal);
        }
        resize_auto_accept_aspect = static_cast<float>(nw) / static_cast<float>(nh);
        request_window_size(nw, nh);
        return;
    }
    if ((w != display_x || h != display_y) && (resize_snapback.load() == 1 || changed)) request_window_size(w, h);
}

void apply_full_screen_request(int32_t w, int32_t h) {
    int32_t wanted = full_screen_set.load();
    if (resize_pending || wanted == -1) return;
    if (wanted == 0) {
        if (full_screen != 0) request_window_size(w, h);
        full_screen = 0;
    } else {
        if (full_screen == 0) glutFullScreen();
        full_screen = wanted;
    }
    full_screen_set = -1;
}

void draw_software_screen(int32_t pass, display_frame_struct *chosen, bool new_frame) {
    if (software_screen_hardware_frame && new_frame) {
        free_hardware_img(software_screen_hardware_frame, 1);
        software_screen_hardware_frame = 0;
    }
    if (new_frame || !software_screen_hardware_frame)
        software_screen_hardware_frame = new_hardware_img(chosen->w, chosen->h, chosen->bgra, 0);
    if (!software_screen_hardware_frame) {
        gui_alert("Invalid software_screen_hardware_frame!!", "Alert", "ok");
        return;
    }
    if (!image_record(software_screen_hardware_frame)) {
        gui_alert("Invalid software_screen_hardware_frame!", "Alert", "ok");
        return;
    }
    hardware_img_put(0, 0, environment_2d__screen_width - 1, environment_2d__screen_height - 1,
                     software_screen_hardware_frame, 0, 0, 0, chosen->w - 1, chosen->h - 1, pass > 1 ? 1 : 0,
                     environment_2d__screen_smooth);
    hardware_buffer_flush();
}

void draw_letterbox_bars() {
    if (!environment_2d__letterbox) return;
    if (!letterbox_bar_image) {
        const uint32_t black = 0;
        letterbox_bar_image = new_hardware_img(1, 1, &black, 0);
    }
    const int32_t sw = environment_2d__screen_width, sh = environment_2d__screen_height;
    if (environment_2d__letterbox == 1) {
        const float xs = environment_2d__screen_x_scale;
        const int32_t x1 = environment_2d__screen_x1;
        int32_t left = static_cast<int32_t>(static_cast<float>(-x1) / xs - 1.0f);
        int32_t right = static_cast<int32_t>(static_cast<float>(environment__window_width - x1 - 1) / xs + 1.0f);
        hardware_img_put(left, 0, -1, sh - 1, letterbox_bar_image, 0, 0, 0, 0, 0, 0, 0);
        hardware_img_put(sw, 0, right, sh - 1, letterbox_bar_image, 0, 0, 0, 0, 0, 0, 0);
    } else {
        const float ys = environment_2d__screen_y_scale;
        const int32_t y1 = environment_2d__screen_y1;
        int32_t top = static_cast<int32_t>(static_cast<float>(-y1) / ys - 1.0f);
        int32_t bottom = static_cast<int32_t>(static_cast<float>(environment__window_height - y1 - 1) / ys + 1.0f);
        hardware_img_put(0, top, sw - 1, -1, letterbox_bar_image, 0, 0, 0, 0, 0, 0, 0);
        hardware_img_put(0, sh, sw - 1, bottom, letterbox_bar_image, 0, 0, 0, 0, 0, 0, 0);
    }
    hardware_buffer_flush();
}

} // namespace

void present_warm_up() {
    // The first drawing with a new combination of states, and the first swap, make the OpenGL
    // driver prepare itself, which takes several frame periods with a software renderer. Doing both
    // once now, while the program thread is starting, keeps that wait off the program's first frame.
    environment__window_width = display_x;
    environment__window_height = display_y;
    environment_2d__screen_width = display_x;
    environment_2d__screen_height = display_y;
    prepare_environment_2d();
    const uint32_t pixel = 0xFF000000u;
    int32_t image = new_hardware_img(1, 1, &pixel, 0);
    set_render_dest(0);
    hardware_img_put(0, 0, 0, 0, image, 0, 0, 0, 0, 0, 0, 0);
    hardware_buffer_flush();
    free_hardware_img(image, 0);
    // The window shows black until the program's first frame.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

bool presentation_due() {
    if (window_exposed || os_resize_event || full_screen_set.load() != -1) return true;
    int64_t shown = 0;
    for (auto &f : display_frame)
        if (f.state.load() == FRAME_SHOWN) shown = f.order.load();
    for (auto &f : display_frame)
        if (f.state.load() == FRAME_READY && f.order.load() > shown) return true;
    return false;
}

void GLUT_DISPLAY_REQUEST() {
    if (presenting) return;
    presenting = true;
    display_frame_struct *prev = nullptr;
    display_frame_struct *chosen = presenter_take_frame(prev);
    if (!chosen) {
        presenting = false;
        return;
    }
    const bool new_frame = chosen != prev;
    // Nothing new to show: the window keeps its picture and costs nothing. (Composition attempts
    // that found the page unchanged do not make the shown frame be drawn again.)
    if (!new_frame && full_screen_set.load() == -1 && !os_resize_event && !window_exposed) {
        presenting = false;
        return;
    }
    environment_2d__screen_width = chosen->w;
    environment_2d__screen_height = chosen->h;
    os_resize_event = 0;
    window_exposed = false;
    if (full_screen == 0 && full_screen_set.load() == -1) fit_window_to_frame(chosen->w, chosen->h);
    apply_full_screen_request(chosen->w, chosen->h);
    environment__window_width = display_x;
    environment__window_height = display_y;
    prepare_environment_2d();

    const int32_t screen_pass = displayorder_screen.load();
    for (int32_t pass = 0; pass <= 5; pass++) {
        if (pass == 0) {
            set_render_dest(0);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            continue;
        }
        if (pass == screen_pass) draw_software_screen(pass, chosen, new_frame);
        if (pass == 5) draw_letterbox_bars();
    }
    last_rendered_hardware_display_frame_order = last_hardware_display_frame_order.load();
    if (!suspend_program.load()) glutSwapBuffers();
    presenting = false;
}

void GLUT_RESHAPE_FUNC(int width, int height) {
    resize_event_x = width;
    resize_event_y = height;
    resize_event = -1;
    display_x_prev = display_x;
    display_y_prev = display_y;
    display_x = width;
    display_y = height;
    resize_pending = 0;
    os_resize_event = 1;
    set_view(0);
}
