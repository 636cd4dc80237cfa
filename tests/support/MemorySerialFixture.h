#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/MemorySerialBank.h"
#include "platform/VirtualClock.h"
#include "tests/support/TestPeer.h"

// A memory device behind COM1 (index 0), on a virtual clock. Sent bytes collect for
// Sent() unless the test attaches the far end with device.SetPeer(&peer).
class MemorySerialFixture : public ::testing::Test {
  protected:
    platform::VirtualClock clock;
    platform::ScopedClock useClock{clock};
    TestPeer peer;
    platform::MemorySerialBank bank;
    platform::MemorySerialDevice& device = bank.Attach(0);

    void Deliver(const std::string& bytes) {
        device.DeliverToHost(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::string Sent() {
        std::vector<std::uint8_t> sent = device.TakeSent();
        return std::string(sent.begin(), sent.end());
    }
    std::vector<std::uint32_t> AppliedBauds() const {
        std::vector<std::uint32_t> bauds;
        for (const auto& params : device.AppliedHistory())
            bauds.push_back(params.baud);
        return bauds;
    }
};
