// Requests from the program thread (or any thread but the window thread) to the window thread.
//
// Only the window thread may call freeglut, so other threads queue a request object; the window
// thread executes the queue from its idle step. Fire-and-forget requests are deleted once executed;
// a request someone waits for lives on the sender's stack and carries a completion that the window
// thread finishes, and its destructor waits for that completion again, so it can never be destroyed
// while the window thread still uses it. A request queued while there is no window is never
// executed: a waiting sender is released at once and a fire-and-forget request is dropped.
#include <GL/freeglut.h>
#include <atomic>
#include <cstring>
#include <deque>

#include "display/window_internal.h"
#include "libtq.h"
#include "platform/platform.h"

namespace {

// Created during static initialisation, before any thread can queue a request.
libtq_mutex *queue_lock = libtq_mutex_new();
std::deque<glut_message *> *queue = new std::deque<glut_message *>();
// The four most frequent questions, answered from here without waiting for the window thread.
int32_t cached_x = 0, cached_y = 0, cached_border = 0, cached_header = 0;

} // namespace

std::atomic<bool> glut_is_up{false};
bool window_geometry_changed = true;

glut_message::glut_message(bool wait) : finished(nullptr) {
    if (wait) {
        finished = new completion;
        completion_init(finished);
    }
}

glut_message::~glut_message() {
    if (finished) {
        completion_wait(finished);
        completion_clear(finished);
        delete finished;
    }
}

void glut_message::wait_for_response() { completion_wait(finished); }

void glut_message_set_cursor::execute() { glutSetCursor(style); }
void glut_message_warp_pointer::execute() { glutWarpPointer(x, y); }
void glut_message_get::execute() { response_value = glutGet(static_cast<GLenum>(id)); }
void glut_message_iconify_window::execute() { glutIconifyWindow(); }
void glut_message_position_window::execute() { glutPositionWindow(x, y); }
void glut_message_show_window::execute() { glutShowWindow(); }
void glut_message_hide_window::execute() { glutHideWindow(); }

glut_message_set_window_title::glut_message_set_window_title(const char *text)
    : glut_message(false), title(strdup(text ? text : "")) {}
glut_message_set_window_title::~glut_message_set_window_title() { std::free(title); }
void glut_message_set_window_title::execute() { glutSetWindowTitle(title); }

void glut_message_exit_program::execute() { plat::exit_process(code); }

void libtq_queue_glut_message(glut_message *message) {
    libtq_mutex_lock(queue_lock);
    if (glut_is_up.load()) {
        queue->push_back(message);
        libtq_mutex_unlock(queue_lock);
        plat::wake_window_thread();
        return;
    }
    libtq_mutex_unlock(queue_lock);
    if (message->finished)
        completion_finish(message->finished);
    else
        delete message;
}

void libtq_process_glut_queue() {
    libtq_mutex_lock(queue_lock);
    // Each of these questions is a round trip to the X server, so they are asked again only after
    // the window moved or changed size.
    if (window_geometry_changed) {
        window_geometry_changed = false;
        cached_x = glutGet(GLUT_WINDOW_X);
        cached_y = glutGet(GLUT_WINDOW_Y);
        cached_border = glutGet(GLUT_WINDOW_BORDER_WIDTH);
        cached_header = glutGet(GLUT_WINDOW_HEADER_HEIGHT);
    }
    while (!queue->empty()) {
        glut_message *message = queue->front();
        queue->pop_front();
        message->execute();
        if (message->finished)
            completion_finish(message->finished);
        else
            delete message;
    }
    libtq_mutex_unlock(queue_lock);
}

void libtq_glut_set_cursor(int32_t style) { libtq_queue_glut_message(new glut_message_set_cursor(style)); }
void libtq_glut_warp_pointer(int32_t x, int32_t y) { libtq_queue_glut_message(new glut_message_warp_pointer(x, y)); }
void libtq_glut_iconify_window() { libtq_queue_glut_message(new glut_message_iconify_window()); }
void libtq_glut_position_window(int32_t x, int32_t y) {
    libtq_queue_glut_message(new glut_message_position_window(x, y));
}
void libtq_glut_show_window() { libtq_queue_glut_message(new glut_message_show_window()); }
void libtq_glut_hide_window() { libtq_queue_glut_message(new glut_message_hide_window()); }
void libtq_glut_set_window_title(const char *title) {
    libtq_queue_glut_message(new glut_message_set_window_title(title));
}

int32_t libtq_glut_get(int32_t id) {
    if (id == GLUT_WINDOW_X || id == GLUT_WINDOW_Y || id == GLUT_WINDOW_BORDER_WIDTH ||
        id == GLUT_WINDOW_HEADER_HEIGHT) {
        libtq_mutex_lock(queue_lock);
        int32_t value = id == GLUT_WINDOW_X              ? cached_x
                        : id == GLUT_WINDOW_Y            ? cached_y
                        : id == GLUT_WINDOW_BORDER_WIDTH ? cached_border
                                                         : cached_header;
        libtq_mutex_unlock(queue_lock);
        return value;
    }
    glut_message_get request(id);
    libtq_queue_glut_message(&request);
    request.wait_for_response();
    return request.response_value;
}

void libtq_glut_exit_program(int32_t code) {
    {
        glut_message_exit_program request(code);
        libtq_queue_glut_message(&request);
        request.wait_for_response();
    }
    // Reached only when there is no window to end the process.
    plat::exit_process(code);
}
