#pragma once

#include <compare>
#include <cstdint>
#include <span>

namespace platform {

// Something a thread can sleep on until it is ready. On POSIX it is a file descriptor:
// ready when it can be read or has hung up (Input), or when it takes output (Room). On
// Windows it is a waitable handle, ready when signalled (Room means nothing more there).
// A plain value: it owns nothing, and the one who made it keeps it alive.
struct Waitable {
    enum class Ready : std::uint8_t { Input, Room };
    static constexpr std::intptr_t kNone = -1;

    std::intptr_t native = kNone;
    Ready ready = Ready::Input;

    bool Valid() const { return native != kNone; }
    auto operator<=>(const Waitable&) const = default;
};

// Sleeps in real time until one of the sources is ready or timeoutMs have passed
// (negative: no limit). Answers the index of the first ready source, or -1 when the time
// ran out. A signal does not end the wait early. The clocks build their waits on it.
int WaitForAny(std::span<const Waitable> sources, int timeoutMs);

}  // namespace platform
