#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <string_view>
#include <vector>

// Reads an open file line by line through a buffer of its own. A line is handed out
// without its line end (LF or CR LF). A line longer than kMaxLine keeps its first
// kMaxLine characters and drops the rest, so no line can overrun the line buffer; the
// last line of a file counts whether or not it ends with a line end.
class LineReader {
  public:
    // Longer than the longest S-record line (count 0xFF: 4 + 2 * 255 characters).
    static constexpr std::size_t kMaxLine = 600;

    LineReader();

    // Reads from the file's current position from now on; forgets anything buffered.
    void Attach(std::FILE* file);
    // Reads the next line; false at the end of the file (or on a read error).
    bool Next();
    std::string_view Line() const { return {line_.data(), length_}; }

  private:
    bool Fill();

    std::FILE* file_ = nullptr;
    std::vector<char> chunk_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::array<char, kMaxLine> line_{};
    std::size_t length_ = 0;
};
