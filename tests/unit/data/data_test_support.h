// Helpers of the program-data tests: a DATA block held in a buffer of exactly its size, so that
// the address sanitizer notices any read beyond it, and its read position.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "libtq.h"
#include "test_support.h"

struct data_block {
    std::vector<uint8_t> bytes;
    uint32_t position = 0;
    explicit data_block(const std::string &text) : bytes(text.begin(), text.end()) {}
    uint32_t size() const { return static_cast<uint32_t>(bytes.size()); }
    long double read_float(uint32_t type) { return func_read_float(bytes.data(), &position, size(), type); }
    int64_t read_int64() { return func_read_int64(bytes.data(), &position, size()); }
    uint64_t read_uint64() { return func_read_uint64(bytes.data(), &position, size()); }
    int32_t parse() { return n_inputnumberfromdata(bytes.data(), &position, size()); }
};

constexpr uint32_t TYPE_DOUBLE = TYPE_FLOAT | 64;
constexpr uint32_t TYPE_FLOAT80 = TYPE_FLOAT | 80;

class DataTest : public StatementTest {};
