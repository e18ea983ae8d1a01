// INSTR and _INSTRREV: byte searches returning 1-based positions, 0 for no match.
#include "strings/strings_internal.h"

using namespace tqs_internal;

namespace {

bool matches_at(const tqs *text, int32_t offset, const tqs *find) {
    return std::memcmp(text->data + offset, find->data, static_cast<size_t>(find->length)) == 0;
}

} // namespace

int32_t func_instr(int32_t start, tqs *text, tqs *find, int32_t has_start) {
    if (!has_start) start = 1;
    if (text->length == 0) return 0;
    if (start < 1) {
        if (find->length == 0) return 0;
        start = 1;
    }
    if (start > text->length) return 0;
    if (find->length == 0) return start;
    int32_t last = text->length - find->length; // last offset at which `find` fits
    uint8_t first = find->data[0];
    for (int32_t i = start - 1; i <= last; i++) {
        const void *hit = std::memchr(text->data + i, first, static_cast<size_t>(last - i + 1));
        if (!hit) return 0;
        i = static_cast<int32_t>(static_cast<const uint8_t *>(hit) - text->data);
        if (matches_at(text, i, find)) return i + 1;
    }
    return 0;
}

int32_t func__instrrev(int32_t start, tqs *text, tqs *find, int32_t has_start) {
    if (text->length == 0 || find->length > text->length) return 0;
    if (find->length == 0) return has_start && start >= 1 && start <= text->length ? start - 1 : text->length;
    int32_t last = text->length - find->length + 1; // last 1-based position at which `find` fits
    if (!has_start || start < 1 || start > last) start = last;
    for (int32_t i = start - 1; i >= 0; i--) {
        if (text->data[i] == find->data[0] && matches_at(text, i, find)) return i + 1;
    }
    return 0;
}
