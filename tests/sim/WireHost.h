#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

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
    void Send(std::uint8_t byte) { Send(Bytes{byte}); }
    void SendText(const std::string& text) { Send(Bytes(text.begin(), text.end())); }
    // "$PXRV" + command + "*hh" CR LF.
    void SendCommand(const std::string& command) { SendText(wire::Sentence("PXRV" + command)); }

    // Runs the clock for ms, collecting what the receiver sends.
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
    // The next line from "$" to CR LF whose tag matches, skipping anything else.
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
    // Everything received so far, and forget it.
    Bytes Drain() {
        WaitUntil(nowMs_, false);
        Bytes out(rx_.begin(), rx_.end());
        rx_.clear();
        return out;
    }

  private:
    // Moves the clock from one thing the receiver does to the next, up to the deadline
    // (or to the first byte received).
    void WaitUntil(std::uint64_t deadline, bool firstByte) {
        for (;;) {
            buffer_.clear();
            receiver_.Service(nowMs_, buffer_);
            rx_.insert(rx_.end(), buffer_.begin(), buffer_.end());
            if (nowMs_ >= deadline || (firstByte && !rx_.empty()))
                return;
            nowMs_ = std::clamp(receiver_.NextDueMs(), nowMs_ + 1, deadline);
        }
    }

    sim::SimulatedReceiver& receiver_;
    std::uint64_t nowMs_ = 0;
    std::deque<std::uint8_t> rx_;
    Bytes buffer_;
};
