#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <utility>

#include "sim/FaultRule.h"
#include "sim/SimulatedReceiver.h"
#include "tests/support/WireBytes.h"

// A minimal host for the simulated receiver, written from the wire format alone: it
// moves a virtual clock from one thing the receiver does to the next.
class WireHost {
  public:
    explicit WireHost(sim::SimulatedReceiver& receiver, std::uint32_t baud = 4800)
        : receiver_(receiver) {
        SetBaud(baud);
    }
    void SetBaud(std::uint32_t baud) { receiver_.OnLineParams(platform::LineParams{baud}); }
    std::uint64_t Now() const { return nowMs_; }

    void Send(const Bytes& bytes) { receiver_.OnHostBytes(bytes.data(), bytes.size(), nowMs_); }
    void SendText(const std::string& text) { Send(Bytes(text.begin(), text.end())); }
    void SendCommand(const std::string& command) { SendText(wire::Sentence("PXRV" + command)); }

    void Run(std::uint64_t ms) { WaitUntil(nowMs_ + ms, false); }
    // The next byte from the receiver, or -1 when none comes within the time.
    int Next(std::uint64_t timeoutMs = 10000) {
        WaitUntil(nowMs_ + timeoutMs, true);
        if (rx_.empty())
            return -1;
        const int byte = rx_.front();
        rx_.pop_front();
        return byte;
    }
    // The next n bytes (fewer when the receiver falls silent).
    Bytes Take(std::size_t n) {
        Bytes out;
        for (int byte = 0; out.size() < n && (byte = Next()) >= 0;)
            out.push_back(static_cast<std::uint8_t>(byte));
        return out;
    }
    // The next line from "$" to CR LF that starts with tag, skipping anything else.
    std::string NextSentence(const std::string& tag, std::uint64_t timeoutMs = 5000) {
        const std::uint64_t deadline = nowMs_ + timeoutMs;
        std::string line;
        for (int byte = 0; (byte = Next(deadline - std::min(deadline, nowMs_))) >= 0;) {
            line = byte == '$' ? std::string("$") : line + static_cast<char>(byte);
            if (byte == '\n' && line.rfind(tag, 0) == 0)
                return line;
        }
        return {};
    }
    Bytes Drain() {
        WaitUntil(nowMs_, false);
        Bytes out(rx_.begin(), rx_.end());
        rx_.clear();
        return out;
    }

  private:
    void WaitUntil(std::uint64_t deadline, bool firstByte) {
        for (;;) {
            Bytes out;
            receiver_.Service(nowMs_, out);
            rx_.insert(rx_.end(), out.begin(), out.end());
            if (nowMs_ >= deadline || (firstByte && !rx_.empty()))
                return;
            nowMs_ = std::clamp(receiver_.NextDueMs(), nowMs_ + 1, deadline);
        }
    }

    sim::SimulatedReceiver& receiver_;
    std::uint64_t nowMs_ = 0;
    std::deque<std::uint8_t> rx_;
};

// Loader steps over any wire with Send and Next. A receiver waiting in its loader:
inline sim::ReceiverOptions InLoader(bool recordMode = false,
                                     std::initializer_list<const char*> faults = {}) {
    sim::ReceiverOptions options;
    options.startInLoader = true;
    options.loaderMode = recordMode ? sim::LoaderMode::Record : sim::LoaderMode::Address;
    for (const char* text : faults) {
        std::string error;
        EXPECT_TRUE(sim::FaultRule::Parse(text, options.faults.emplace_back(), error)) << error;
    }
    return options;
}

inline Bytes Pattern(std::size_t size, std::uint8_t seed) {
    Bytes data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>(seed + i * 7 + (i >> 8));
    return data;
}

inline bool IsResend(int b) {
    return b == 0x81 || b == 0x82 || b == 0x85 || b == 0x88;
}

// The first hello answered and the handshake acknowledged with 0x6A; in address mode
// (sectors > 0) then the erase command (again on a resend code), the erase and 0x69.
template <class Wire>
void StartLoad(Wire& wire, std::uint32_t start = 0, std::uint32_t end = 0, unsigned sectors = 0) {
    int b = 0;
    while ((b = wire.Next()) != 0xAA)
        ASSERT_GE(b, 0) << "no hello";
    do {  // every hello answered, also one that was under way
        wire.Send(Bytes{0x55});
    } while ((b = wire.Next()) == 0xAA);
    ASSERT_EQ(b, 0x55);
    wire.Send(Bytes{0x6A});
    if (sectors == 0)
        return;
    ASSERT_EQ(wire.Next(), 0x55);
    do {
        wire.Send(wire::Erase(start, end));
    } while (IsResend(b = wire.Next()));
    ASSERT_EQ(b, 0x55);
    for (unsigned i = 0; i < sectors; ++i)
        ASSERT_EQ(wire.Next(), 0x8F) << "sector " << i;
    ASSERT_EQ(wire.Next(), 0x55);
    wire.Send(Bytes{0x69});
    ASSERT_EQ(wire.Next(), 0x55);
}
