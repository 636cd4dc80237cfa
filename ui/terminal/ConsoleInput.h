#pragma once

#include <cstddef>
#include <memory>

#include "platform/Waitable.h"

namespace ui {

// The terminal front end's input (a descriptor: standard input, or a pipe in tests),
// read without ever holding up the loop: the loop waits on Source() and then reads what
// is there. On Windows a reader thread feeds it, and a console's input is read as UTF-8.
class ConsoleInput {
  public:
    explicit ConsoleInput(int fd);
    ~ConsoleInput();
    ConsoleInput(const ConsoleInput&) = delete;
    ConsoleInput& operator=(const ConsoleInput&) = delete;

    // Ready when input, or its end, is there.
    platform::Waitable Source() const;
    // Bytes read into buffer; 0 at the end of input; -1 when nothing is there now.
    long Read(char* buffer, std::size_t size);
    // A terminal or console, which shows the user's answers as they are typed.
    bool Echoes() const;

  private:
    struct Reader;  // the platform's own state
    int fd_;
    std::shared_ptr<Reader> reader_;
};

}  // namespace ui
