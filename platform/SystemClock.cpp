#include "platform/SystemClock.h"

#include <algorithm>
#include <chrono>
#include <climits>
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

int SystemClock::WaitAny(std::span<const Waitable> sources, unsigned ms) {
    return WaitForAny(sources, static_cast<int>(std::min<unsigned>(ms, INT_MAX)));
}

LocalDateTime SystemClock::LocalNow() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

}  // namespace platform
