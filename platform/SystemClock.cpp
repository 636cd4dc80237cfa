#include "platform/SystemClock.h"

#include <poll.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <thread>

namespace platform {

std::int64_t SystemClock::CalendarSeconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::uint64_t SystemClock::MonotonicMs() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void SystemClock::Yield() {
    // A bare yield returns at once on an idle machine, and a loop around it spins.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void SystemClock::SleepMs(unsigned ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

short SystemClock::WaitFd(int fd, short events, unsigned ms) {
    const std::uint64_t end = MonotonicMs() + ms;
    for (;;) {
        std::uint64_t now = MonotonicMs();
        int left = now >= end ? 0 : static_cast<int>(end - now);
        pollfd watched{fd, events, 0};
        int ready = ::poll(&watched, 1, left);
        if (ready > 0)
            return watched.revents;
        if (ready == 0 || errno != EINTR || left == 0)
            return 0;
    }
}

LocalDateTime SystemClock::LocalNow() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

namespace {
SystemClock systemClock;
Clock* current = &systemClock;
}  // namespace

Clock& GetClock() {
    return *current;
}

Clock* SetClock(Clock* clock) {
    Clock* previous = current;
    current = clock != nullptr ? clock : &systemClock;
    return previous;
}

}  // namespace platform
