#include "platform/SystemClock.h"

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
    std::this_thread::yield();
}

void SystemClock::SleepMs(unsigned ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
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
