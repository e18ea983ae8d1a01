// Presentation: the window thread's side of the display.
//
// The composer leaves finished 32-bit frames in the three frame records. On every paced redisplay
// the window thread takes the newest ready frame (or keeps the one it shows), keeps the window's
// size in step with the frame's, works out where the frame lies in the window (unscaled, stretched,
// or scaled with its aspect kept and black bars beside it), uploads a new frame once as a texture
// and draws it as one textured rectangle, then swaps buffers. When nothing changed since the last
// presentation it draws nothing at all.
//
// Everything here runs on the window thread. The few OpenGL states that change between draws go
// through setters that send a state only when it differs, and queued triangles are drawn before
// any state changes.
// GLEW's header must come before any other OpenGL header.
#include <GL/glew.h>

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "display/frames_internal.h"
#include "display/placement.h"
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
std::atomic<int32_t> full_screen{0};
std::atomic<int32_t> full_screen_set{-1};
std::atomic<int32_t> fullscreen_smooth{0};
std::atomic<int32_t> fullscreen_allowedmode{0}, fullscreen_allowedsmooth{0};
std::atomic<double> max_fps{60.0};
int32_t environment_2d__screen_width = 0, environment_2d__screen_height = 0;
int32_t environment__window_width = 0, environment__window_height = 0;
int32_t environment_2d__screen_x1 = 0, environment_2d__screen_y1 = 0, environment_2d__screen_x2 = 0,
        environment_2d__screen_y2 = 0;
float environment_2d__screen_x_scale = 1.0f, environment_2d__screen_y_scale = 1.0f;
std::atomic<int32_t> environment_2d__screen_scaled_width{640}, environment_2d__screen_scaled_height{400};
int32_t environment_2d__screen_smooth = 0;
int32_t environment_2d__letterbox = 0;
std::atomic<int32_t> displayorder_screen{1}, displayorder_hardware{2}, displayorder_glrender{3},
    displayorder_hardware1{4};
int64_t last_rendered_hardware_display_frame_order = 0;
int32_t software_screen_hardware_frame = 0;
std::atomic<int32_t> force_NPO2_fix{0};
bool window_exposed = true;

namespace {

bool presenting = false; // guards against re-entry
// Where the frame being presented lies in the window; published in the environment_2d__ values.
frame_placement placement = place_frame(640, 400, 640, 400, 0, 0, 0);
int32_t letterbox_bar_image = 0; // a 1 x 1 black image, made at the first letterbox use

// ---- texture-backed images ----
// The presenter draws two images: the shown frame and the letterbox bars' black pixel. Each is a
// texture named by a handle of the thread-safe list `hardware_img_handles`.

struct hardware_img_struct {
    int32_t w, h;
    uint32_t texture_handle; // OpenGL texture name
    int32_t smooth;          // filtering last set on the texture: 1 linear, 0 nearest, -1 not yet
    int32_t PO2_fix;         // 0 texture as given, 1 padded to powers of two, 2 mipmaps built
    int32_t PO2_w, PO2_h;    // the texture's size when PO2_fix is set
};
static_assert(sizeof(hardware_img_struct) <= 72, "the image list's records hold 72 bytes");

hardware_img_struct *image_record(int32_t handle) {
    return static_cast<hardware_img_struct *>(list_get(hardware_img_handles, handle));
}

// The OpenGL state that changes from one draw to the next, as last sent, so that a change is sent
// only when it differs: the view (the window's size), the bound texture and blending. Everything
// else drawing needs is set once (set_fixed_states).
struct render_state_struct {
    bool fixed_states_set = false;
    bool view_set = false;
    int32_t source = -1;   // the image whose texture is bound; -1 none
    int32_t blending = -1; // -1 not sent yet
};
render_state_struct render_state;

// Triangles queued for one draw call, two coordinates a vertex; sent before any state changes.
std::vector<float> vertices, texcoords;

void hardware_buffer_flush() {
    if (vertices.empty()) return;
    glVertexPointer(2, GL_FLOAT, 0, vertices.data());
    glTexCoordPointer(2, GL_FLOAT, 0, texcoords.data());
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size() / 2));
    vertices.clear();
    texcoords.clear();
}

void add_vertex(float x, float y, texture_span s, bool s_to, texture_span t, bool t_to) {
    vertices.push_back(x);
    vertices.push_back(y);
    texcoords.push_back(s_to ? s.to : s.from);
    texcoords.push_back(t_to ? t.to : t.from);
}

// Textured, vertex-array drawing in opaque white, blended (when on) by source alpha, its alpha
// kept whole when the framebuffer-object extension allows it. Lighting, depth test and culling
// stay off, as OpenGL starts.
void set_fixed_states() {
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    if (framebufferobjects_supported)
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE);
    else
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    render_state.fixed_states_set = true;
}

// Mode 1: the two-dimensional view of the window, one unit a window pixel, (0, 0) its top-left
// corner. Mode 0: forget it (the window's size changed), so that the next drawing sets it again.
void set_view(int32_t mode) {
    if (render_state.view_set == (mode == 1)) return;
    hardware_buffer_flush();
    if (mode == 0) {
        render_state.view_set = false;
        return;
    }
    if (!render_state.fixed_states_set) set_fixed_states();
    const double w = environment__window_width, h = environment__window_height;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, w, 0.0, h, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(1.0f, -1.0f, 1.0f);
    glTranslatef(0.0f, static_cast<float>(-h), 0.0f);
    glViewport(0, 0, environment__window_width, environment__window_height);
    render_state.view_set = true;
}

// Binds the image's texture; -1 forgets the bound one (another texture was bound behind it).
void set_render_source(int32_t image) {
    if (render_state.source == image && image != -1) return;
    hardware_buffer_flush();
    render_state.source = -1;
    hardware_img_struct *record = image_record(image);
    if (!record) return;
    glBindTexture(GL_TEXTURE_2D, record->texture_handle);
    render_state.source = image;
    // A driver without framebuffer objects is an old one: its texture's filtering is sent again with
    // every bind rather than trusted to have been kept.
    if (!framebufferobjects_supported) record->smooth = -1;
}

// Filtering of the bound texture: linear when smooth (and always for a mipmapped one), else nearest.
void set_smooth(int32_t smooth) {
    hardware_img_struct *record = image_record(render_state.source);
    if (!record || record->smooth == smooth) return;
    hardware_buffer_flush();
    const GLint filter = smooth || record->PO2_fix == 2 ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    record->smooth = smooth;
}

void set_alpha(int32_t on) {
    if (render_state.blending == on) return;
    hardware_buffer_flush();
    if (on)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
    render_state.blending = on;
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

// Padding for a driver that takes only textures whose sides are powers of two: each side is
// rounded up to one, the pixels go to the top-left, and the last column and the last row are
// repeated once beyond the picture, so that filtering at its edges sees the picture's own pixels.
// The padded block is kept in NPO2_buffer, which only grows; the pixels as given when no side grows.
uint32_t *NPO2_buffer = nullptr;
int32_t NPO2_buffer_size_in_pixels = 0;

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
        if (po2_w > width) row[width] = row[width - 1];
    }
    if (po2_h > height) {
        int32_t length = width + (po2_w > width ? 1 : 0);
        std::memcpy(NPO2_buffer + static_cast<int64_t>(height) * po2_w,
                    NPO2_buffer + static_cast<int64_t>(height - 1) * po2_w, static_cast<size_t>(length) * 4);
    }
    return NPO2_buffer;
}

// A texture made from 0xAARRGGBB pixels. A driver that refuses the texture as it is gets it padded
// to powers of two (also when `force_NPO2_fix` asks for that), and failing that as mipmaps.
int32_t new_hardware_img(int32_t width, int32_t height, const uint32_t *pixels) {
    hardware_buffer_flush();
    int32_t handle = static_cast<int32_t>(list_add(hardware_img_handles));
    hardware_img_struct *record = image_record(handle);
    if (!record) return 0;
    *record = hardware_img_struct{width, height, 0, -1, 0, 0, 0};
    glGenTextures(1, &record->texture_handle);
    glBindTexture(GL_TEXTURE_2D, record->texture_handle);
    bool done = !force_NPO2_fix.load() && upload(width, height, pixels);
    if (!done) {
        int32_t pw = 0, ph = 0;
        const uint32_t *padded = NPO2_texture_generate(width, height, pixels, pw, ph);
        if (padded && upload(pw, ph, padded)) {
            record->PO2_fix = 1;
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
            record->PO2_fix = 2;
            record->PO2_w = width;
            record->PO2_h = height;
        }
    }
    // Drawn once over the whole texture: nothing beyond its edges is ever sampled.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    set_render_source(-1);
    return handle;
}

// Gives the image new pixels of its own size; false (nothing changed) when its texture cannot take
// them as they are (another size, or padded or mipmapped for the driver).
bool replace_hardware_img_pixels(int32_t handle, int32_t width, int32_t height, const uint32_t *pixels) {
    hardware_img_struct *record = image_record(handle);
    if (!record || record->w != width || record->h != height || record->PO2_fix != 0) return false;
    hardware_buffer_flush();
    set_render_source(handle);
    if (render_state.source != handle) return false;
    clear_gl_errors();
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    return glGetError() == GL_NO_ERROR;
}

void free_hardware_img(int32_t handle) {
    hardware_img_struct *record = image_record(handle);
    if (!record) {
        gui_alert("free_hardware_img: image does not exist", "Alert", "ok");
        return;
    }
    if (render_state.source == handle) set_render_source(-1);
    glDeleteTextures(1, &record->texture_handle);
    list_remove(hardware_img_handles, handle);
}

// Queues the image's texels `from` drawn onto the frame pixels `to` (corners in either order; a
// mirrored pair stays mirrored), placed in the window as the frame is.
void hardware_img_put(pixel_rect to, int32_t image, pixel_rect from, int32_t blend, int32_t smooth) {
    if (to.x2 < to.x1) {
        std::swap(to.x1, to.x2);
        std::swap(from.x1, from.x2);
    }
    if (to.y2 < to.y1) {
        std::swap(to.y1, to.y2);
        std::swap(from.y1, from.y2);
    }
    set_view(1);
    to = frame_rect_to_window(placement, to);
    set_render_source(image);
    set_smooth(smooth);
    set_alpha(blend);
    hardware_img_struct *record = image_record(image);
    if (!record) return;
    const bool padded = record->PO2_fix != 0;
    const texture_span s = texture_span_of(from.x1, from.x2, padded ? record->PO2_w : record->w);
    const texture_span t = texture_span_of(from.y1, from.y2, padded ? record->PO2_h : record->h);
    const float x1 = static_cast<float>(to.x1), y1 = static_cast<float>(to.y1);
    const float x2 = static_cast<float>(to.x2 + 1), y2 = static_cast<float>(to.y2 + 1);
    add_vertex(x1, y1, s, false, t, false);
    add_vertex(x2, y1, s, true, t, false);
    add_vertex(x1, y2, s, false, t, true);
    add_vertex(x2, y1, s, true, t, false);
    add_vertex(x1, y2, s, false, t, true);
    add_vertex(x2, y2, s, true, t, true);
}

} // namespace

// ---- placement -----------------------------------------------------------------------------------------

void prepare_environment_2d() {
    placement =
        place_frame(environment_2d__screen_width, environment_2d__screen_height, environment__window_width,
                    environment__window_height, full_screen.load(), fullscreen_smooth.load(), resize_auto.load());
    environment_2d__screen_x1 = placement.covered.x1;
    environment_2d__screen_y1 = placement.covered.y1;
    environment_2d__screen_x2 = placement.covered.x2;
    environment_2d__screen_y2 = placement.covered.y2;
    environment_2d__screen_x_scale = placement.x_scale;
    environment_2d__screen_y_scale = placement.y_scale;
    environment_2d__screen_scaled_width = placement.scaled_width;
    environment_2d__screen_scaled_height = placement.scaled_height;
    environment_2d__screen_smooth = placement.smooth;
    environment_2d__letterbox = placement.letterbox;
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
        const window_size fit =
            fit_window_to_aspect(display_x, display_y, display_x_prev, display_y_prev, resize_auto_ideal_aspect);
        resize_auto_accept_aspect = static_cast<float>(fit.width) / static_cast<float>(fit.height);
        request_window_size(fit.width, fit.height);
        return;
    }
    if ((w != display_x || h != display_y) && (resize_snapback.load() == 1 || changed)) request_window_size(w, h);
}

void apply_full_screen_request(int32_t w, int32_t h) {
    int32_t wanted = full_screen_set.load();
    if (resize_pending || wanted == -1) return;
    if (wanted == 0) {
        if (full_screen.load() != 0) request_window_size(w, h);
        full_screen = 0;
    } else {
        if (full_screen.load() == 0) glutFullScreen();
        full_screen = wanted;
    }
    full_screen_set = -1;
}

void draw_software_screen(int32_t pass, display_frame_struct *chosen, bool new_frame) {
    // A new frame of the size of the last one replaces its pixels in the same texture: much cheaper
    // than a texture made afresh for each frame (with a software renderer, 0.1 ms against 4 ms for a
    // 640 x 480 frame).
    if (software_screen_hardware_frame && new_frame &&
        !replace_hardware_img_pixels(software_screen_hardware_frame, chosen->w, chosen->h, chosen->bgra)) {
        free_hardware_img(software_screen_hardware_frame);
        software_screen_hardware_frame = 0;
    }
    if (!software_screen_hardware_frame)
        software_screen_hardware_frame = new_hardware_img(chosen->w, chosen->h, chosen->bgra);
    if (!software_screen_hardware_frame) {
        gui_alert("Invalid software_screen_hardware_frame!!", "Alert", "ok");
        return;
    }
    if (!image_record(software_screen_hardware_frame)) {
        gui_alert("Invalid software_screen_hardware_frame!", "Alert", "ok");
        return;
    }
    // Above another layer (a later pass) the frame is blended by its pixels' alpha.
    hardware_img_put({0, 0, chosen->w - 1, chosen->h - 1}, software_screen_hardware_frame,
                     {0, 0, chosen->w - 1, chosen->h - 1}, pass > 1 ? 1 : 0, placement.smooth);
    hardware_buffer_flush();
}

void draw_letterbox_bars() {
    if (!placement.letterbox) return;
    if (!letterbox_bar_image) {
        const uint32_t black = 0;
        letterbox_bar_image = new_hardware_img(1, 1, &black);
    }
    const letterbox_bars bars =
        letterbox_bars_of(placement, environment_2d__screen_width, environment_2d__screen_height,
                          environment__window_width, environment__window_height);
    hardware_img_put(bars.first, letterbox_bar_image, {0, 0, 0, 0}, 0, 0);
    hardware_img_put(bars.second, letterbox_bar_image, {0, 0, 0, 0}, 0, 0);
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
    int32_t image = new_hardware_img(1, 1, &pixel);
    hardware_img_put({0, 0, 0, 0}, image, {0, 0, 0, 0}, 0, 0);
    hardware_buffer_flush();
    free_hardware_img(image);
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
    if (full_screen.load() == 0 && full_screen_set.load() == -1) fit_window_to_frame(chosen->w, chosen->h);
    apply_full_screen_request(chosen->w, chosen->h);
    environment__window_width = display_x;
    environment__window_height = display_y;
    prepare_environment_2d();

    const int32_t screen_pass = displayorder_screen.load();
    for (int32_t pass = 0; pass <= 5; pass++) {
        if (pass == 0) { // the window's own framebuffer, the only one drawn into, cleared to black
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
