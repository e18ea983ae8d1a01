// Helpers of the string tests: a fixture that releases a test's temporaries as a statement's
// clean-up would, and conversions between strings and std::string.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "libtq.h"
#include "test_support.h"

inline std::string text_of(const tqs *s) {
    return s->length > 0 ? std::string(reinterpret_cast<const char *>(s->data), static_cast<size_t>(s->length))
                         : std::string();
}

// A read-only temporary over the literal, as compiled code makes one.
inline tqs *lit(const char *text) { return tqs_new_txt(text); }

// A heap temporary holding a copy of `text`.
inline tqs *heap_temp(const std::string &text) {
    tqs *s = tqs_new(static_cast<int32_t>(text.size()), 1);
    if (!text.empty()) std::memcpy(s->data, text.data(), text.size());
    return s;
}

// A heap variable holding `text`.
inline tqs *variable(const std::string &text) {
    tqs *v = tqs_new(0, 0);
    tqs_set(v, tqs_new_txt_len(text.data(), static_cast<int32_t>(text.size())));
    return v;
}

// The four bytes of a conventional-memory descriptor.
inline uint32_t descriptor_length(const tqs *s) { return s->descriptor[0] | s->descriptor[1] << 8; }
inline uint32_t descriptor_offset(const tqs *s) { return s->descriptor[2] | s->descriptor[3] << 8; }

class StringTest : public StatementTest {};
