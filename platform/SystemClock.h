#pragma once

#include "platform/Clock.h"

namespace platform {

// The real clock of the machine.
class SystemClock : public Clock {
  public:
    std::int64_t CalendarSeconds() override;
    std::uint64_t MonotonicMs() override;
    void Yield() override;
    void SleepMs(unsigned ms) override;
    int WaitAny(std::span<const Waitable> sources, unsigned ms) override;
    LocalDateTime LocalNow() override;
};

}  // namespace platform
