#include "ui/terminal/InterruptSignal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace ui {

namespace {

// A shell reports a process ended by a signal as 128 plus its number.
constexpr int kSignalStatusBase = 128;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

volatile sig_atomic_t writeEnd = -1;

void OnSignal(int number) {
    int saved = errno;
    char byte = static_cast<char>(number);
    if (writeEnd >= 0) {
        [[maybe_unused]] ssize_t ignored = ::write(writeEnd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

struct InterruptSignal::Handler {
    int pipe[2] = {-1, -1};
    struct sigaction previous[kSignalCount] {};
};

InterruptSignal::InterruptSignal() : handler_(std::make_unique<Handler>()) {
    if (::pipe2(handler_->pipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return;
    writeEnd = handler_->pipe[1];
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < kSignalCount; ++i) {
        ::sigaction(kSignals[i], &action, &handler_->previous[i]);
        // Started by nohup: a hang-up stays ignored.
        if (kSignals[i] == SIGHUP && handler_->previous[i].sa_handler == SIG_IGN)
            ::sigaction(SIGHUP, &handler_->previous[i], nullptr);
    }
}

InterruptSignal::~InterruptSignal() {
    if (handler_->pipe[0] < 0)
        return;
    for (int i = 0; i < kSignalCount; ++i)
        ::sigaction(kSignals[i], &handler_->previous[i], nullptr);
    writeEnd = -1;
    ::close(handler_->pipe[0]);
    ::close(handler_->pipe[1]);
}

platform::Waitable InterruptSignal::Source() const {
    return {handler_->pipe[0]};
}

InterruptSignal::Arrived InterruptSignal::Take() {
    Arrived arrived;
    char buffer[64];
    ssize_t n;
    while ((n = ::read(handler_->pipe[0], buffer, sizeof buffer)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] == SIGINT)
                ++arrived.interrupts;
            else if (arrived.endCode == 0)
                arrived.endCode = kSignalStatusBase + buffer[i];
        }
    }
    return arrived;
}

}  // namespace ui
