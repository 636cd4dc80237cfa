#include "platform/VirtualClock.h"

#include <poll.h>

#include <ctime>

namespace platform {

short VirtualClock::WaitFd(int fd, short events, unsigned ms) {
    pollfd watched{fd, events, 0};
    if (::poll(&watched, 1, 0) > 0)
        return watched.revents;
    nowMs_ += ms;
    return 0;
}

LocalDateTime VirtualClock::LocalNow() {
    std::time_t now = static_cast<std::time_t>(CalendarSeconds());
    std::tm parts{};
    gmtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

}  // namespace platform
