#include "source.h"

#include <algorithm>

namespace tqc {

source_file::source_file(std::string name, std::string text) : name_(std::move(name)), text_(std::move(text)) {
    line_starts_.push_back(0);
    for (size_t i = 0; i < text_.size(); i++)
        if (text_[i] == '\n' && i + 1 < text_.size()) line_starts_.push_back(i + 1);
}

std::string_view source_file::line_text(int32_t line) const {
    if (line < 1 || line > line_count()) return {};
    const size_t start = line_starts_[static_cast<size_t>(line - 1)];
    size_t end = text_.find('\n', start);
    if (end == std::string::npos) end = text_.size();
    if (end > start && text_[end - 1] == '\r') end--;
    return std::string_view(text_).substr(start, end - start);
}

void diagnostics::error(position at, std::string message) {
    count_++;
    if (list_.size() < limit) list_.push_back({at, std::move(message)});
}

std::string diagnostics::format(const source_file &source) const {
    std::string out;
    for (const diagnostic &d : list_) {
        out += source.name() + ":" + std::to_string(d.at.line) + ":" + std::to_string(d.at.column) +
               ": error: " + d.message + "\n";
        std::string_view line = source.line_text(d.at.line);
        if (line.size() > 200) line = line.substr(0, 200);
        // Tabs stay tabs so that the caret lines up under the same column.
        // Appended piece by piece: g++ 12 at -O3 warns falsely (restrict) on " " + std::string(line).
        out += ' ';
        out.append(line);
        out += "\n ";
        const size_t caret = static_cast<size_t>(std::max(1, d.at.column) - 1);
        for (size_t i = 0; i < caret && i < line.size(); i++) out += line[i] == '\t' ? '\t' : ' ';
        out += "^\n";
    }
    if (count_ > list_.size()) out += std::to_string(count_ - list_.size()) + " more errors not shown\n";
    return out;
}

} // namespace tqc
