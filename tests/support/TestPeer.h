#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "platform/SerialPeer.h"

// A far end in virtual time: records what the host sends and sends bytes at given times.
class TestPeer : public platform::SerialPeer {
  public:
    void OnLineParams(const platform::LineParams& params) override { lastParams = params; }
    void OnHostBytes(const std::uint8_t* data, std::size_t size, std::uint64_t /*nowMs*/) override {
        received.append(data, data + size);
    }
    void Service(std::uint64_t nowMs, std::vector<std::uint8_t>& toHost) override {
        for (; !due.empty() && due.front().first <= nowMs; due.pop_front())
            toHost.push_back(due.front().second);
    }
    void OnModemLines(bool dtrOn, bool rtsOn) override {
        dtr = dtrOn;
        rts = rtsOn;
    }

    void SendAt(std::uint64_t ms, const std::string& bytes) {
        for (char c : bytes)
            due.emplace_back(ms, static_cast<std::uint8_t>(c));
    }

    platform::LineParams lastParams;
    std::string received;
    std::deque<std::pair<std::uint64_t, std::uint8_t>> due;
    bool dtr = false;
    bool rts = false;
};
