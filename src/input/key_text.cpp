// KEY texts: a key that KEY n has given a text types that text, character by character, in place
// of itself. Under the keyboard lock, which is recursive, as the text's keys are pressed from
// inside the press of the key.
#include "input/keyboard_internal.h"
#include "libtq.h"

namespace {
bool typing = false;
} // namespace

bool typing_key_text() { return typing; }

bool type_key_text(int32_t code, int32_t report_code) {
    for (const onkey_record &k : onkey) {
        const tqs *text = k.text;
        if (!text || text->length <= 0 || !text->data) continue;
        if (k.keycode != report_code && k.keycode_alternate != code) continue;
        keyup_mask_add(code);
        const bool was_typing = typing;
        typing = true;
        for (int32_t i = 0; i < text->length; i++) {
            keydown_ascii(text->data[i]);
            keyup_ascii(text->data[i]);
        }
        typing = was_typing;
        return true;
    }
    return false;
}
