#pragma once

#include "platform/Clock.h"

namespace platform {

// A clock that moves only when told to, or when the program sleeps or yields on it.
// Sleeping advances it by the time asked; a yield advances it by one millisecond so
// that polling loops come to an end.
class VirtualClock : public Clock {
  public:
    // 2026-01-01 00:00:00 UTC: calendar time at virtual millisecond 0.
    static constexpr std::int64_t kDefaultEpoch = 1767225600;

    explicit VirtualClock(std::int64_t epochSeconds = kDefaultEpoch) : epoch_(epochSeconds) {}

    std::int64_t CalendarSeconds() override {
        return epoch_ + static_cast<std::int64_t>(nowMs_ / 1000);
    }
    std::uint64_t MonotonicMs() override { return nowMs_; }
    void Yield() override { nowMs_ += 1; }
    void SleepMs(unsigned ms) override { nowMs_ += ms; }
    int WaitAny(std::span<const Waitable> sources, unsigned ms) override;
    LocalDateTime LocalNow() override;  // in UTC, so tests do not depend on the time zone

    void Advance(std::uint64_t ms) { nowMs_ += ms; }
    void AdvanceTo(std::uint64_t ms) {
        if (ms > nowMs_)
            nowMs_ = ms;
    }
    // Moves the calendar only, as when the user sets the wall clock.
    void SetEpoch(std::int64_t epochSeconds) { epoch_ = epochSeconds; }

  private:
    std::int64_t epoch_;
    std::uint64_t nowMs_ = 0;
};

}  // namespace platform
