// The program's text as the compiler reads it: its physical lines, and the diagnostics that name
// a line and a column of it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tqc {

// A place in the source: 1-based physical line and column (in bytes).
struct position {
    int32_t line = 0;
    int32_t column = 0;
};

struct diagnostic {
    position at;
    std::string message;
};

class source_file {
  public:
    source_file(std::string name, std::string text);
    const std::string &name() const { return name_; }
    const std::string &text() const { return text_; }
    // The text of a physical line without its line break; empty beyond the last line.
    std::string_view line_text(int32_t line) const;
    int32_t line_count() const { return static_cast<int32_t>(line_starts_.size()); }

  private:
    std::string name_;
    std::string text_;
    std::vector<size_t> line_starts_;
};

// Collects errors in the order they are found. Past `limit` errors the rest are counted only, so
// that a hostile input cannot make the report grow without bound.
class diagnostics {
  public:
    static constexpr size_t limit = 100;
    void error(position at, std::string message);
    bool any() const { return count_ > 0; }
    size_t count() const { return count_; }
    const std::vector<diagnostic> &list() const { return list_; }
    // Every error as "FILE:LINE:COLUMN: error: message", the source line and a caret under the column.
    std::string format(const source_file &source) const;

  private:
    std::vector<diagnostic> list_;
    size_t count_ = 0;
};

} // namespace tqc
