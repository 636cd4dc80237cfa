#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "COMLINK/CommLink.h"

// Moves a number of bytes through a CommLink in each direction at once, the far end being
// the master of a pseudo-terminal driven by the same thread with non-blocking calls. Since
// one thread plays both ends, any call of the link that blocked would hang the transfer.
// Every call of the link is timed.
struct PtyTransferResult {
    std::size_t hostSent = 0;      // queued by the link
    std::size_t hostReceived = 0;  // read by the link, in order
    std::size_t peerSent = 0;      // written by the far end
    std::size_t peerReceived = 0;  // read by the far end, in order
    bool inOrder = true;
    bool timedOut = false;
    std::uint64_t calls = 0;
    std::uint64_t longestCallUs = 0;
    std::uint64_t callsOver1ms = 0;  // preemption on a busy machine shows here
    std::uint64_t totalCallUs = 0;
    std::string longestCall;
    double seconds = 0;
};

inline std::uint8_t HostPattern(std::size_t i) {
    return static_cast<std::uint8_t>((i * 131 + i / 977) & 0xFF);
}
inline std::uint8_t PeerPattern(std::size_t i) {
    return static_cast<std::uint8_t>((i * 17 + 101 + i / 4099) & 0xFF);
}

inline PtyTransferResult RunPtyTransfer(CommLink& link, int masterFd, std::size_t bytes,
                                        int txQueueSize, int limitSeconds = 120) {
    using Clock = std::chrono::steady_clock;
    PtyTransferResult r;
    std::vector<std::uint8_t> out(bytes);
    for (std::size_t i = 0; i < bytes; ++i)
        out[i] = HostPattern(i);
    std::vector<std::uint8_t> back(bytes);
    for (std::size_t i = 0; i < bytes; ++i)
        back[i] = PeerPattern(i);

    auto timed = [&r](const char* name, auto&& call) {
        auto start = Clock::now();
        auto result = call();
        auto us = static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count());
        ++r.calls;
        r.totalCallUs += us;
        if (us > 1000)
            ++r.callsOver1ms;
        if (us > r.longestCallUs) {
            r.longestCallUs = us;
            r.longestCall = name;
        }
        return result;
    };

    const auto begin = Clock::now();
    std::uint8_t buffer[4096];
    while (r.hostSent < bytes || r.hostReceived < bytes || r.peerSent < bytes ||
           r.peerReceived < bytes) {
        if (Clock::now() - begin > std::chrono::seconds(limitSeconds)) {
            r.timedOut = true;
            break;
        }
        // The host: send what fits, take what has arrived.
        if (r.hostSent < bytes) {
            int unsent = timed("TxCount", [&] { return link.TxCount(); });
            int room = txQueueSize - unsent;
            if (room > 0) {
                int count = static_cast<int>(
                    std::min<std::size_t>(static_cast<std::size_t>(room), bytes - r.hostSent));
                int queued = timed("Write", [&] { return link.Write(&out[r.hostSent], count); });
                if (queued > 0)
                    r.hostSent += static_cast<std::size_t>(queued);
            }
        }
        for (int n = 0; n < 4096 && r.hostReceived < bytes; ++n) {
            int byte = timed("ReadByteTimed(0)", [&] { return link.ReadByteTimed(0); });
            if (byte < 0)
                break;
            if (static_cast<std::uint8_t>(byte) != back[r.hostReceived])
                r.inOrder = false;
            ++r.hostReceived;
        }
        // The far end.
        ssize_t got = ::read(masterFd, buffer, sizeof buffer);
        for (ssize_t i = 0; i < got; ++i) {
            if (r.peerReceived >= bytes || buffer[i] != out[r.peerReceived])
                r.inOrder = false;
            ++r.peerReceived;
        }
        if (r.peerSent < bytes) {
            std::size_t chunk = std::min<std::size_t>(sizeof buffer, bytes - r.peerSent);
            ssize_t put = ::write(masterFd, &back[r.peerSent], chunk);
            if (put > 0)
                r.peerSent += static_cast<std::size_t>(put);
        }
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    return r;
}
