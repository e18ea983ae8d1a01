// Message boxes shown by the runtime.
#include <atomic>

#include "libtq.h"
#include "platform/platform.h"

namespace {
std::atomic<gui_alert_responder_fn> responder{nullptr};

// Once the program is being stopped (its window closed, say), nobody waits for the answer: the box
// goes away and answers as if closed, so the end of the program is not held up by it.
bool program_stopping() { return stop_program.load() != 0; }
} // namespace

void gui_alert_set_responder(gui_alert_responder_fn fn) { responder = fn; }

int gui_alert(const char *message, const char *title, const char *buttons) {
    if (gui_alert_responder_fn fn = responder.load()) return fn(message, title, buttons);
    return plat::message_box(title, message, buttons, "error", program_stopping);
}
