#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/MemorySerialBank.h"
#include "platform/MemorySerialDevice.h"
#include "platform/VirtualClock.h"

namespace {

using namespace platform;

// A peer that echoes every byte back one millisecond later.
class EchoPeer : public SerialPeer {
  public:
    void OnLineParams(const LineParams& params) override { lastParams = params; }
    void OnHostBytes(const std::uint8_t* data, std::size_t size, std::uint64_t nowMs) override {
        for (std::size_t i = 0; i < size; ++i) {
            echo.emplace_back(nowMs + 1, data[i]);
            arrivals.push_back(nowMs);
        }
    }
    void Service(std::uint64_t nowMs, std::vector<std::uint8_t>& toHost) override {
        ++services;
        std::size_t i = 0;
        while (i < echo.size() && echo[i].first <= nowMs)
            toHost.push_back(echo[i++].second);
        echo.erase(echo.begin(), echo.begin() + static_cast<long>(i));
    }
    void OnModemLines(bool d, bool r) override {
        dtr = d;
        rts = r;
    }
    bool Present() const override { return present; }

    LineParams lastParams;
    std::vector<std::pair<std::uint64_t, std::uint8_t>> echo;
    std::vector<std::uint64_t> arrivals;
    int services = 0;
    bool dtr = false;
    bool rts = false;
    bool present = true;
};

class MemoryDeviceTest : public ::testing::Test {
  protected:
    VirtualClock clock;
    ScopedClock useClock{clock};
    EchoPeer peer;
    MemorySerialDevice device{&peer};

    void SetUp() override {
        ASSERT_TRUE(device.Open());
        DCB dcb{};
        ASSERT_TRUE(device.GetCommState(dcb));
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
    COMSTAT Status(std::uint32_t* errors = nullptr) {
        std::uint32_t e = 0;
        COMSTAT stat{};
        device.ClearCommError(e, &stat);
        if (errors != nullptr)
            *errors = e;
        return stat;
    }
};

TEST_F(MemoryDeviceTest, PeerSeesSettingsAndLinesAndAnswersInVirtualTime) {
    EXPECT_EQ(peer.lastParams.baud, 115200u);
    EXPECT_EQ(peer.lastParams.parity, 'N');
    EXPECT_TRUE(device.EscapeCommFunction(SETDTR));
    EXPECT_TRUE(device.EscapeCommFunction(SETRTS));
    EXPECT_TRUE(peer.dtr);
    EXPECT_TRUE(peer.rts);
    EXPECT_EQ(Write("ping"), 4u);
    EXPECT_EQ(Status().cbOutQue, 0u);
    EXPECT_EQ(ReadAll(), "");  // the echo is due a millisecond later
    clock.Advance(1);
    EXPECT_EQ(Status().cbInQue, 4u);
    EXPECT_EQ(ReadAll(), "ping");
    EXPECT_GT(peer.services, 0);
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

TEST_F(MemoryDeviceTest, OverflowDropsBytesAndIsReportedOnce) {
    ASSERT_TRUE(device.SetupComm(8, 16));
    EXPECT_EQ(Write("0123456789"), 10u);
    clock.Advance(1);
    std::uint32_t errors = 0;
    EXPECT_EQ(Status(&errors).cbInQue, 8u);
    EXPECT_EQ(errors, CE_RXOVER);
    Status(&errors);
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(ReadAll(), "01234567");
}

TEST_F(MemoryDeviceTest, TransmitQueueHasItsSize) {
    ASSERT_TRUE(device.SetupComm(8, 16));
    device.SetXoffHold(true);
    EXPECT_EQ(Write(std::string(20, 'x')), 16u);
    COMSTAT stat = Status();
    EXPECT_TRUE(stat.fXoffHold);
    EXPECT_EQ(stat.cbOutQue, 16u);
    device.SetXoffHold(false);
    EXPECT_EQ(Status().cbOutQue, 0u);
}

TEST_F(MemoryDeviceTest, UnpluggedDeviceFailsLikeAVanishedAdapter) {
    peer.present = false;
    std::uint32_t errors = 0;
    COMSTAT stat{};
    EXPECT_FALSE(device.ClearCommError(errors, &stat));
    EXPECT_EQ(device.LastSystemError(), EIO);
    std::uint32_t queued = 7;
    EXPECT_FALSE(device.Write(reinterpret_cast<const std::uint8_t*>("x"), 1, queued, nullptr));
    EXPECT_EQ(queued, 0u);
    EXPECT_TRUE(device.Close());
    EXPECT_FALSE(device.Open());
    EXPECT_EQ(device.LastSystemError(), ENOENT);
}

TEST_F(MemoryDeviceTest, RefusesSettingsARealDeviceRefuses) {
    DCB dcb = device.State();
    dcb.BaudRate = 0;
    EXPECT_FALSE(device.SetCommState(dcb));
    EXPECT_EQ(device.LastSystemError(), IE_BAUDRATE);
    dcb = device.State();
    dcb.ByteSize = 4;
    EXPECT_FALSE(device.SetCommState(dcb));
    EXPECT_EQ(device.LastSystemError(), IE_BYTESIZE);
    dcb = device.State();
    dcb.StopBits = ONE5STOPBITS;
    EXPECT_FALSE(device.SetCommState(dcb));
    EXPECT_EQ(device.State().BaudRate, 115200u);  // nothing taken
}

TEST(MemorySerialBank, OnlyAttachedPortsHaveADevice) {
    std::shared_ptr<SerialDevice> outside;
    {
        MemorySerialBank bank;
        MemorySerialDevice& com3 = bank.Attach(2);
        EXPECT_EQ(MakeSerialDevice(2).get(), &com3);
        EXPECT_EQ(MakeSerialDevice(0), nullptr);
        EXPECT_EQ(bank.Device(2), &com3);
        bank.Detach(2);
        EXPECT_EQ(MakeSerialDevice(2), nullptr);
        {
            ScopedSerialDeviceFactory none([](int) { return nullptr; });
            EXPECT_EQ(MakeSerialDevice(5), nullptr);
        }
        bank.Attach(5);
        EXPECT_NE(MakeSerialDevice(5), nullptr);
    }
    // The bank is gone: back to the termios factory, whose devices come back closed.
    ::setenv("ORVANE_COM1", "/dev/null", 1);
    outside = MakeSerialDevice(0);
    ::unsetenv("ORVANE_COM1");
    ASSERT_NE(outside, nullptr);
    EXPECT_FALSE(outside->IsOpen());
}

}  // namespace
