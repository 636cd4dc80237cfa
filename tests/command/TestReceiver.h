#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/SerialPeer.h"

// A minimal receiver for the channel tests: it hears sentences only at its own speed and
// answers each command with the reply set for it (if any), at once.
class TestReceiver : public platform::SerialPeer {
  public:
    explicit TestReceiver(std::uint32_t baud = 9600) : baud_(baud) {}

    // Replies, as whole sentences without CR LF; empty: no answer.
    std::string versionReply;
    std::string memoryReply;
    std::string poiReply;
    std::string mapReply;
    // Header commands answered only from this request on (1 = the first).
    int answerHeadersFrom = 1;

    // Command texts heard at the right speed, in order.
    std::vector<std::string> commands;
    // Every byte the host sent, at any speed.
    std::string raw;

    int Count(const std::string& command) const {
        int n = 0;
        for (const std::string& c : commands)
            n += c == command ? 1 : 0;
        return n;
    }

    void OnLineParams(const platform::LineParams& params) override { lineBaud_ = params.baud; }

    void OnHostBytes(const std::uint8_t* data, std::size_t size, std::uint64_t) override {
        for (std::size_t i = 0; i < size; ++i) {
            char c = static_cast<char>(data[i]);
            raw += c;
            if (lineBaud_ != baud_)
                continue;  // garbage at another speed
            if (c == '$') {
                line_ = "$";
            } else if (c == '\n' && !line_.empty()) {
                Heard(line_);
                line_.clear();
            } else if (!line_.empty() && c != '\r') {
                line_ += c;
            }
        }
    }

    void Service(std::uint64_t, std::vector<std::uint8_t>& toHost) override {
        toHost.insert(toHost.end(), out_.begin(), out_.end());
        out_.clear();
    }

  private:
    void Heard(const std::string& line) {
        // "$PXRV" + command + "*hh"
        if (line.size() < 8 || line.compare(0, 5, "$PXRV") != 0)
            return;
        std::string command = line.substr(5, line.size() - 8);
        commands.push_back(command);
        if (command == "CMD,VERSION") {
            Send(versionReply);
        } else if (command == "CMD,MEMORY") {
            Send(memoryReply);
        } else if (command == "CMD,PIH") {
            if (Count(command) >= answerHeadersFrom)
                Send(poiReply);
        } else if (command == "CMD,MPH") {
            if (Count(command) >= answerHeadersFrom)
                Send(mapReply);
        }
    }
    void Send(const std::string& sentence) {
        if (!sentence.empty())
            out_ += sentence + "\r\n";
    }

    std::uint32_t baud_;
    std::uint32_t lineBaud_ = 0;
    std::string line_;
    std::string out_;
};
