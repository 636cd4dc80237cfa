#pragma once

#include <cstdint>
#include <span>

#include "platform/Waitable.h"

namespace platform {

// Local calendar date and time, as the dialogs show it.
struct LocalDateTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Every wait of the program goes through this interface, so that tests can run
// on a virtual clock: minutes on a real line become milliseconds in a test.
class Clock {
  public:
    virtual ~Clock() = default;

    // Calendar time in whole seconds since the epoch (may jump when the user sets the clock).
    virtual std::int64_t CalendarSeconds() = 0;
    // Monotonic milliseconds from an arbitrary origin; never jumps.
    virtual std::uint64_t MonotonicMs() = 0;
    // Monotonic whole seconds, for timeouts counted in seconds.
    std::int64_t MonotonicSeconds() { return static_cast<std::int64_t>(MonotonicMs() / 1000); }
    // Gives up the processor for a moment (a sleep of about a millisecond, never a spin).
    virtual void Yield() = 0;
    // Sleeps for a short time.
    virtual void SleepMs(unsigned ms) = 0;
    // Waits until one of the sources is ready, or ms have passed; answers the index of the
    // first ready one (-1 when the time ran out). A virtual clock looks once and, when
    // nothing is ready, moves on by ms at once.
    virtual int WaitAny(std::span<const Waitable> sources, unsigned ms) = 0;
    // The local date and time.
    virtual LocalDateTime LocalNow() = 0;
};

// The clock everything uses. Defaults to the system clock.
Clock& GetClock();

// Installs a clock (nullptr restores the system clock). Returns the previous one.
Clock* SetClock(Clock* clock);

// Installs a clock for the lifetime of the guard.
class ScopedClock {
  public:
    explicit ScopedClock(Clock& clock) : previous_(SetClock(&clock)) {}
    ~ScopedClock() { SetClock(previous_); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

  private:
    Clock* previous_;
};

}  // namespace platform
