#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Waitable.h"
#include "ui/terminal/ConsoleInput.h"

namespace ui {

// Cuts what arrives on the input into lines without ever blocking. A line
// longer than kMaxLineLength is cut there; the rest of it is dropped.
class LineReader {
  public:
    static constexpr std::size_t kMaxLineLength = 4096;

    explicit LineReader(int fd) : input_(fd) {}

    platform::Waitable Source() const { return input_.Source(); }
    bool Echoes() const { return input_.Echoes(); }
    // Reads what is waiting; answers the lines completed by it. At the end of input a
    // last line without a line break counts as a line.
    std::vector<std::string> ReadAvailable();
    bool Ended() const { return ended_; }

  private:
    void Complete(std::vector<std::string>& lines);

    ConsoleInput input_;
    bool ended_ = false;
    std::string partial_;
};

}  // namespace ui
