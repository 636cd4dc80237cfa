// WaitForAny on Windows: WaitForMultipleObjects over the handles.
#include "platform/win32/SystemApi.h"

#include <vector>

#include "platform/Waitable.h"

namespace platform {

int WaitForAny(std::span<const Waitable> sources, int timeoutMs) {
    const DWORD timeout = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    if (sources.empty()) {
        ::Sleep(timeout);
        return -1;
    }
    std::vector<HANDLE> handles;
    handles.reserve(sources.size());
    for (const Waitable& source : sources)
        handles.push_back(reinterpret_cast<HANDLE>(source.native));
    // At most MAXIMUM_WAIT_OBJECTS handles: the loops here watch a handful.
    const DWORD count = static_cast<DWORD>(
        handles.size() < MAXIMUM_WAIT_OBJECTS ? handles.size() : MAXIMUM_WAIT_OBJECTS);
    DWORD result = ::WaitForMultipleObjects(count, handles.data(), FALSE, timeout);
    if (result < WAIT_OBJECT_0 + count)
        return static_cast<int>(result - WAIT_OBJECT_0);
    if (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count)
        return static_cast<int>(result - WAIT_ABANDONED_0);
    if (result == WAIT_FAILED)
        ::Sleep(timeout == INFINITE ? 1 : 0);  // a closed handle must not make a loop spin
    return -1;
}

}  // namespace platform
