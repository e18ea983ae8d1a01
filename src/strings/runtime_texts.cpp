// Texts the runtime frame hands to programs as strings: error messages, the include file of the
// last error, and the VARPTR$ record.
#include "frame/frame_internal.h"
#include "strings/strings_internal.h"

using namespace tqs_internal;

namespace {

tqs *copy_text(const char *text) {
    size_t n = text ? std::strlen(text) : 0;
    tqs *s = tqs_new(static_cast<int32_t>(n), 1);
    if (n) std::memcpy(s->data, text, n);
    return s;
}

} // namespace

tqs *func__errormessage(int32_t n, int32_t passed) {
    return copy_text(error_text(passed ? n : static_cast<int32_t>(error_err)));
}

tqs *func__inclerrorfile() { return copy_text(error_include_file_name()); }

tqs *func_varptr_helper(uint8_t type, uint16_t offset) {
    tqs *s = tqs_new(3, 1);
    s->data[0] = type;
    s->data[1] = static_cast<uint8_t>(offset);
    s->data[2] = static_cast<uint8_t>(offset >> 8);
    return s;
}
