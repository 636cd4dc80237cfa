#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/MemorySerialBank.h"
#include "platform/MemorySerialDevice.h"
#include "tests/platform/SerialConformance.h"
#include "tests/support/MemorySerialFixture.h"

namespace {

using namespace platform;

// COM1 of a memory bank, its far end in virtual time.
class MemoryLine : public SerialLine {
  public:
    MemoryLine() { device.SetPeer(&peer); }
    std::shared_ptr<SerialDevice> NewDevice() override { return MakeSerialDevice(0); }
    void Send(const std::string& bytes, int afterMs) override {
        peer.SendAt(clock.MonotonicMs() + static_cast<std::uint64_t>(afterMs), bytes);
    }
    std::string Receive(std::size_t size, int /*ms*/) override {
        std::string got = peer.received.substr(0, size);
        peer.received.erase(0, got.size());
        return got;
    }
    void HoldOutput() override { device.SetXoffHold(true); }

  private:
    VirtualClock clock;
    ScopedClock useClock{clock};
    TestPeer peer;
    MemorySerialBank bank;
    MemorySerialDevice& device = bank.Attach(0);
};

INSTANTIATE_TEST_SUITE_P(Memory, SerialConformance,
                         ::testing::Values(SerialBackendCase(
                             "Memory", [] { return std::make_unique<MemoryLine>(); }, true, false)),
                         ByName);

using MemoryDeviceTest = MemorySerialFixture;

TEST_F(MemoryDeviceTest, UnpluggedDeviceFailsLikeAVanishedAdapter) {
    device.SetPeer(&peer);
    ASSERT_TRUE(device.Open());
    peer.present = false;
    std::uint32_t queued = 7;
    EXPECT_FALSE(device.Write(reinterpret_cast<const std::uint8_t*>("x"), 1, queued, nullptr));
    EXPECT_EQ(queued, 0u);
    EXPECT_EQ(device.LastSystemError(), IE_HARDWARE);
    EXPECT_TRUE(device.Close());
    EXPECT_FALSE(device.Open());
    EXPECT_EQ(device.LastSystemError(), ENOENT);
}

}  // namespace
