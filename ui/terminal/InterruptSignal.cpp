#include "ui/terminal/InterruptSignal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace ui {

namespace {

volatile sig_atomic_t writeEnd = -1;

void OnInterrupt(int) {
    int saved = errno;
    char byte = 1;
    if (writeEnd >= 0) {
        [[maybe_unused]] ssize_t ignored = ::write(writeEnd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

InterruptSignal::InterruptSignal() {
    if (::pipe2(pipe_, O_NONBLOCK | O_CLOEXEC) != 0)
        return;
    writeEnd = pipe_[1];
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &previous_);
}

InterruptSignal::~InterruptSignal() {
    if (pipe_[0] < 0)
        return;
    ::sigaction(SIGINT, &previous_, nullptr);
    writeEnd = -1;
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

int InterruptSignal::Take() {
    int count = 0;
    char buffer[64];
    ssize_t n;
    while ((n = ::read(pipe_[0], buffer, sizeof buffer)) > 0)
        count += static_cast<int>(n);
    return count;
}

}  // namespace ui
