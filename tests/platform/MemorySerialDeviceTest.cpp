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

// The device on COM1, opened at 115200 with the far end attached.
class MemoryDeviceTest : public MemorySerialFixture {
  protected:
    void SetUp() override {
        device.SetPeer(&peer);
        ASSERT_TRUE(device.Open());
        DCB dcb = device.State();
        dcb.BaudRate = 115200;
        ASSERT_TRUE(device.SetCommState(dcb));
    }
    std::uint32_t Write(const std::string& text) {
        std::uint32_t queued = 0;
        device.Write(reinterpret_cast<const std::uint8_t*>(text.data()),
                     static_cast<std::uint32_t>(text.size()), queued, nullptr);
        return queued;
    }
    std::string ReadAll() {
        std::uint8_t buffer[256];
        std::uint32_t got = 0;
        device.Read(buffer, sizeof buffer, got, nullptr);
        return std::string(buffer, buffer + got);
    }
    COMSTAT Status() {
        COMSTAT stat{};
        device.ClearCommError(errors, &stat);
        return stat;
    }
    std::uint32_t errors = 0;  // as the last Status() reported them
};

TEST_F(MemoryDeviceTest, PeerSeesSettingsAndLinesAndAnswersInVirtualTime) {
    peer.echo = true;
    EXPECT_EQ(peer.lastParams.baud, 115200u);
    EXPECT_TRUE(device.EscapeCommFunction(SETDTR));
    EXPECT_TRUE(device.EscapeCommFunction(SETRTS));
    EXPECT_TRUE(peer.dtr && peer.rts);
    EXPECT_EQ(Write("ping"), 4u);
    EXPECT_EQ(Status().cbOutQue, 0u);
    EXPECT_EQ(ReadAll(), "");  // the echo is due a millisecond later
    clock.Advance(1);
    EXPECT_EQ(Status().cbInQue, 4u);
    EXPECT_EQ(ReadAll(), "ping");
}

TEST_F(MemoryDeviceTest, PacedBytesLeaveAtTheLineRateAndTheSpeedChangeTakesEffect) {
    device.SetPacing(true);
    DCB dcb = device.State();
    dcb.BaudRate = 1200;  // 120 bytes a second: one byte every 8.33 ms
    ASSERT_TRUE(device.SetCommState(dcb));
    std::uint64_t start = clock.MonotonicMs();
    EXPECT_EQ(Write(std::string(12, 'a')), 12u);
    clock.Advance(50);
    EXPECT_EQ(Status().cbOutQue, 6u);
    clock.Advance(50);
    EXPECT_EQ(Status().cbOutQue, 0u);
    ASSERT_EQ(peer.arrivals.size(), 12u);
    EXPECT_EQ(peer.arrivals[0], start + 8);
    EXPECT_EQ(peer.arrivals[11], start + 100);
    // A byte written while the line is busy starts when the one before has left.
    EXPECT_EQ(Write("bc"), 2u);
    clock.Advance(4);
    EXPECT_EQ(Write("d"), 1u);
    clock.Advance(4);
    EXPECT_EQ(Status().cbOutQue, 3u);  // 108 ms: the first is due at 108.33
    clock.Advance(1);
    EXPECT_EQ(Status().cbOutQue, 2u);
    clock.Advance(16);
    EXPECT_EQ(Status().cbOutQue, 0u);
    EXPECT_EQ(peer.arrivals.back(), start + 125);
}

TEST_F(MemoryDeviceTest, QueuesHaveTheirSizesAndOverflowIsReportedOnce) {
    ASSERT_TRUE(device.SetupComm(8, 16));
    peer.echo = true;
    EXPECT_EQ(Write("0123456789"), 10u);
    clock.Advance(1);
    EXPECT_EQ(Status().cbInQue, 8u);
    EXPECT_EQ(errors, CE_RXOVER);
    Status();
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(ReadAll(), "01234567");
    device.SetXoffHold(true);
    EXPECT_EQ(Write(std::string(20, 'x')), 16u);
    EXPECT_TRUE(Status().fXoffHold);
}

TEST_F(MemoryDeviceTest, UnpluggedDeviceFailsLikeAVanishedAdapter) {
    peer.present = false;
    std::uint32_t queued = 7;
    EXPECT_FALSE(device.Write(reinterpret_cast<const std::uint8_t*>("x"), 1, queued, nullptr));
    EXPECT_EQ(queued, 0u);
    EXPECT_EQ(device.LastSystemError(), IE_HARDWARE);
    EXPECT_TRUE(device.Close());
    EXPECT_FALSE(device.Open());
    EXPECT_EQ(device.LastSystemError(), ENOENT);
}

TEST(MemorySerialBank, OnlyAttachedPortsHaveADevice) {
    {
        MemorySerialBank bank;
        MemorySerialDevice& com3 = bank.Attach(2);
        EXPECT_EQ(MakeSerialDevice(2).get(), &com3);
        EXPECT_EQ(MakeSerialDevice(0), nullptr);
        bank.Detach(2);
        EXPECT_EQ(MakeSerialDevice(2), nullptr);
        {
            ScopedSerialDeviceFactory none([](int) { return nullptr; });
            bank.Attach(5);
            EXPECT_EQ(MakeSerialDevice(5), nullptr);
        }
        EXPECT_NE(MakeSerialDevice(5), nullptr);
    }
    // The bank is gone: back to the machine's own factory, whose devices come back closed.
    std::shared_ptr<SerialDevice> outside = MakeSerialDevice(0);
    EXPECT_TRUE(outside == nullptr || !outside->IsOpen());
}

}  // namespace
