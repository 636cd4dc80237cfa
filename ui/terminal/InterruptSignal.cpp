#include "ui/terminal/InterruptSignal.h"

#include <fcntl.h>
#include <signal.h>
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

struct InterruptSignal::Handler {
    int pipe[2] = {-1, -1};
    struct sigaction previous {};
};

InterruptSignal::InterruptSignal() : handler_(std::make_unique<Handler>()) {
    if (::pipe2(handler_->pipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return;
    writeEnd = handler_->pipe[1];
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &handler_->previous);
}

InterruptSignal::~InterruptSignal() {
    if (handler_->pipe[0] < 0)
        return;
    ::sigaction(SIGINT, &handler_->previous, nullptr);
    writeEnd = -1;
    ::close(handler_->pipe[0]);
    ::close(handler_->pipe[1]);
}

platform::Waitable InterruptSignal::Source() const {
    return {handler_->pipe[0]};
}

int InterruptSignal::Take() {
    int count = 0;
    char buffer[64];
    ssize_t n;
    while ((n = ::read(handler_->pipe[0], buffer, sizeof buffer)) > 0)
        count += static_cast<int>(n);
    return count;
}

}  // namespace ui
