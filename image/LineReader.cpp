#include "image/LineReader.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::size_t kChunkSize = 64 * 1024;
}

LineReader::LineReader() : chunk_(kChunkSize) {}

void LineReader::Attach(std::FILE* file) {
    file_ = file;
    pos_ = 0;
    end_ = 0;
    length_ = 0;
}

bool LineReader::Fill() {
    if (file_ == nullptr)
        return false;
    pos_ = 0;
    end_ = std::fread(chunk_.data(), 1, chunk_.size(), file_);
    return end_ > 0;
}

bool LineReader::Next() {
    length_ = 0;
    bool any = false;
    for (;;) {
        if (pos_ == end_ && !Fill())
            return any;
        any = true;
        const char* start = chunk_.data() + pos_;
        std::size_t available = end_ - pos_;
        const char* lineEnd = static_cast<const char*>(std::memchr(start, '\n', available));
        std::size_t take =
            lineEnd != nullptr ? static_cast<std::size_t>(lineEnd - start) : available;
        std::size_t keep = std::min(take, kMaxLine - length_);
        std::memcpy(line_.data() + length_, start, keep);
        length_ += keep;
        pos_ += take;
        if (lineEnd != nullptr) {
            ++pos_;
            if (length_ > 0 && line_[length_ - 1] == '\r')
                --length_;
            return true;
        }
    }
}
