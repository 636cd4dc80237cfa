#include <unistd.h>

#include <cerrno>

#include "ui/terminal/ConsoleInput.h"

namespace ui {

struct ConsoleInput::Reader {};

ConsoleInput::ConsoleInput(int fd) : fd_(fd) {}

ConsoleInput::~ConsoleInput() = default;

platform::Waitable ConsoleInput::Source() const {
    return {fd_};
}

long ConsoleInput::Read(char* buffer, std::size_t size) {
    // One read: the descriptor may be blocking (a terminal), and the wait said it is ready.
    ssize_t n = ::read(fd_, buffer, size);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
        return -1;
    return n > 0 ? static_cast<long>(n) : 0;
}

bool ConsoleInput::Echoes() const {
    return ::isatty(fd_) == 1;
}

}  // namespace ui
