#include "ui/terminal/LineReader.h"

#include <unistd.h>

#include <cerrno>

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
    // One read: the descriptor may be blocking (a terminal), and poll said it is readable.
    ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
        return lines;
    if (n <= 0) {
        ended_ = true;
        if (!partial_.empty())
            Complete(lines);
        return lines;
    }
    for (ssize_t i = 0; i < n; ++i) {
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
