#include "platform/VirtualClock.h"

#include <ctime>

namespace platform {

LocalDateTime VirtualClock::LocalNow() {
    std::time_t now = static_cast<std::time_t>(CalendarSeconds());
    std::tm parts{};
    gmtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

}  // namespace platform
