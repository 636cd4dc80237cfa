#include "ui/terminal/LineReader.h"

namespace ui {

void LineReader::Complete(std::vector<std::string>& lines) {
    if (!partial_.empty() && partial_.back() == '\r')
        partial_.pop_back();
    lines.push_back(std::move(partial_));
    partial_.clear();
}

std::vector<std::string> LineReader::ReadAvailable() {
    std::vector<std::string> lines;
    if (ended_)
        return lines;
    char buffer[1024];
    long n = input_.Read(buffer, sizeof buffer);
    if (n < 0)
        return lines;
    if (n == 0) {
        ended_ = true;
        if (!partial_.empty())
            Complete(lines);
        return lines;
    }
    for (long i = 0; i < n; ++i) {
        char c = buffer[i];
        if (c == '\n') {
            Complete(lines);
        } else if (partial_.size() < kMaxLineLength) {
            partial_ += c;
        }
    }
    return lines;
}

}  // namespace ui
