#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "sim/SimulatedReceiver.h"

// A minimal host for the simulated receiver, written from the wire format alone: it
// builds frames and sentences itself and moves a virtual clock from one thing the
// receiver does to the next.
class WireHost {
  public:
    explicit WireHost(sim::SimulatedReceiver& receiver, std::uint32_t baud = 4800)
        : receiver_(receiver) {
        SetBaud(baud);
    }

    void SetBaud(std::uint32_t baud) {
        platform::LineParams params;
        params.baud = baud;
        receiver_.OnLineParams(params);
    }
    std::uint64_t Now() const { return nowMs_; }

    void Send(const std::vector<std::uint8_t>& bytes) {
        receiver_.OnHostBytes(bytes.data(), bytes.size(), nowMs_);
    }
    void Send(std::uint8_t byte) { Send(std::vector<std::uint8_t>{byte}); }
    void SendText(const std::string& text) {
        Send(std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    // "$PXRV" + command + "*hh" CR LF, checksum computed here.
    void SendCommand(const std::string& command) { SendText(Sentence("PXRV" + command)); }

    static std::string Sentence(const std::string& body) {
        std::uint8_t sum = 0;
        for (char c : body)
            sum ^= static_cast<std::uint8_t>(c);
        static const char* digits = "0123456789ABCDEF";
        return "$" + body + "*" + digits[sum >> 4] + digits[sum & 15] + "\r\n";
    }

    // Runs the clock to the given time, collecting what the receiver sends.
    void RunUntil(std::uint64_t untilMs) {
        Collect();
        while (nowMs_ < untilMs) {
            const std::uint64_t due = receiver_.NextDueMs();
            nowMs_ = std::clamp(due, nowMs_ + 1, untilMs);
            Collect();
        }
        Collect();
    }
    void Run(std::uint64_t ms) { RunUntil(nowMs_ + ms); }

    // The next byte from the receiver, or -1 when none comes within the time.
    int Next(std::uint64_t timeoutMs = 10000) {
        const std::uint64_t deadline = nowMs_ + timeoutMs;
        Collect();
        while (rx_.empty() && nowMs_ < deadline) {
            const std::uint64_t due = receiver_.NextDueMs();
            nowMs_ = std::clamp(due, nowMs_ + 1, deadline);
            Collect();
        }
        if (rx_.empty())
            return -1;
        const int byte = rx_.front();
        rx_.pop_front();
        return byte;
    }
    // The next n bytes (fewer when the receiver falls silent).
    std::vector<std::uint8_t> Take(std::size_t n, std::uint64_t timeoutMs = 10000) {
        std::vector<std::uint8_t> out;
        while (out.size() < n) {
            const int byte = Next(timeoutMs);
            if (byte < 0)
                break;
            out.push_back(static_cast<std::uint8_t>(byte));
        }
        return out;
    }
    // The next complete line from "$" to CR LF whose tag matches, skipping anything else.
    std::string NextSentence(const std::string& tag, std::uint64_t timeoutMs = 5000) {
        const std::uint64_t deadline = nowMs_ + timeoutMs;
        std::string line;
        bool inLine = false;
        while (nowMs_ <= deadline) {
            const int byte = Next(deadline - nowMs_);
            if (byte < 0)
                return {};
            if (byte == '$') {
                line = "$";
                inLine = true;
            } else if (inLine && byte == '\n') {
                inLine = false;
                if (line.compare(0, tag.size(), tag) == 0)
                    return line;
            } else if (inLine) {
                line += static_cast<char>(byte);
            }
        }
        return {};
    }
    // Everything received so far, and forget it.
    std::vector<std::uint8_t> Drain() {
        Collect();
        std::vector<std::uint8_t> out(rx_.begin(), rx_.end());
        rx_.clear();
        return out;
    }

    // Loader frames: 0x5B, word count, body words, exclusive-or of the words, 0x5D.
    static std::vector<std::uint8_t> Frame(const std::vector<std::uint8_t>& body) {
        std::vector<std::uint8_t> padded = body;
        if (padded.size() % 2 != 0)
            padded.push_back(0);
        const auto words = static_cast<std::uint16_t>(padded.size() / 2);
        std::uint16_t sum = 0;
        for (std::size_t i = 0; i < padded.size(); i += 2) {
            sum ^= static_cast<std::uint16_t>(padded[i] << 8 | padded[i + 1]);
        }
        std::vector<std::uint8_t> frame;
        frame.reserve(padded.size() + 6);
        frame.push_back(0x5B);
        frame.push_back(static_cast<std::uint8_t>(words >> 8));
        frame.push_back(static_cast<std::uint8_t>(words));
        for (std::uint8_t byte : padded)
            frame.push_back(byte);
        frame.push_back(static_cast<std::uint8_t>(sum >> 8));
        frame.push_back(static_cast<std::uint8_t>(sum));
        frame.push_back(0x5D);
        return frame;
    }
    static void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    static std::vector<std::uint8_t> Record(std::uint32_t field,
                                            const std::vector<std::uint8_t>& data) {
        std::vector<std::uint8_t> body;
        Put32(body, field);
        body.insert(body.end(), data.begin(), data.end());
        return Frame(body);
    }
    static std::vector<std::uint8_t> Erase(std::uint32_t start, std::uint32_t end) {
        std::vector<std::uint8_t> body;
        Put32(body, start);
        Put32(body, end);
        return Frame(body);
    }
    static std::vector<std::uint8_t> EndRecord() { return {0x5B, 0, 0, 0, 0, 0x5D}; }

  private:
    void Collect() {
        buffer_.clear();
        receiver_.Service(nowMs_, buffer_);
        rx_.insert(rx_.end(), buffer_.begin(), buffer_.end());
    }

    sim::SimulatedReceiver& receiver_;
    std::uint64_t nowMs_ = 0;
    std::deque<std::uint8_t> rx_;
    std::vector<std::uint8_t> buffer_;
};
