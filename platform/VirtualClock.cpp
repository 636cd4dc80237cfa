#include "platform/VirtualClock.h"

#include <chrono>

namespace platform {

int VirtualClock::WaitAny(std::span<const Waitable> sources, unsigned ms) {
    int ready = WaitForAny(sources, 0);
    if (ready < 0)
        nowMs_ += ms;
    return ready;
}

LocalDateTime VirtualClock::LocalNow() {
    using namespace std::chrono;
    const sys_seconds now{seconds{CalendarSeconds()}};
    const sys_days day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss<seconds> time{now - day};
    return {static_cast<int>(date.year()),
            static_cast<int>(unsigned{date.month()}),
            static_cast<int>(unsigned{date.day()}),
            static_cast<int>(time.hours().count()),
            static_cast<int>(time.minutes().count()),
            static_cast<int>(time.seconds().count())};
}

}  // namespace platform
