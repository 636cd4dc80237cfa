// The system clock on Windows: the performance counter for monotonic time.
#include "platform/win32/SystemApi.h"

#include <algorithm>
#include <climits>
#include <ctime>

#include "platform/SystemClock.h"

namespace platform {

namespace {

std::uint64_t CounterFrequency() {
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart > 0 ? static_cast<std::uint64_t>(frequency.QuadPart) : 1;
}

}  // namespace

std::int64_t SystemClock::CalendarSeconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::uint64_t SystemClock::MonotonicMs() {
    static const std::uint64_t frequency = CounterFrequency();
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    const auto ticks = static_cast<std::uint64_t>(now.QuadPart);
    // Split so that the product does not overflow after a long uptime.
    return ticks / frequency * 1000 + ticks % frequency * 1000 / frequency;
}

void SystemClock::Yield() {
    ::Sleep(1);
}

void SystemClock::SleepMs(unsigned ms) {
    ::Sleep(ms);
}

int SystemClock::WaitAny(std::span<const Waitable> sources, unsigned ms) {
    return WaitForAny(sources, static_cast<int>(std::min<unsigned>(ms, INT_MAX)));
}

LocalDateTime SystemClock::LocalNow() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace platform
