// WaitForAny on POSIX: poll(2) over the descriptors.
#include <poll.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "platform/Waitable.h"

namespace platform {

int WaitForAny(std::span<const Waitable> sources, int timeoutMs) {
    std::vector<pollfd> fds;
    fds.reserve(sources.size());
    for (const Waitable& source : sources) {
        short events = source.ready == Waitable::Ready::Room ? POLLOUT : POLLIN;
        fds.push_back({static_cast<int>(source.native), events, 0});
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int left = timeoutMs;
        if (timeoutMs > 0) {
            auto rest = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
            left = rest > 0 ? static_cast<int>(rest) : 0;
        }
        int ready = ::poll(fds.data(), fds.size(), left);
        if (ready > 0) {
            for (std::size_t i = 0; i < fds.size(); ++i) {
                if (fds[i].revents != 0)
                    return static_cast<int>(i);
            }
        }
        if (ready == 0 || errno != EINTR || left == 0)
            return -1;
    }
}

}  // namespace platform
