// The receiver attached to the memory serial device, driven through the serial device
// calls the port object makes, in virtual time.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <iostream>
#include <memory>
#include <string>

#include "platform/MemorySerialBank.h"
#include "platform/SerialDeviceFactory.h"
#include "platform/VirtualClock.h"
#include "sim/SimulatedReceiver.h"
#include "tests/sim/LoaderSteps.h"
#include "tests/sim/MiniHost.h"
#include "tests/sim/WireHost.h"

namespace {

using sim::SimulatedReceiver;

// COM1 with the receiver behind it; Send, Next and Take as the loopback host has them.
class DeviceWire {
  public:
    DeviceWire(SimulatedReceiver& receiver, platform::VirtualClock& clock, bool paced)
        : receiver_(receiver), clock_(clock), paced_(paced) {
        bank_.Attach(0, &receiver).SetPacing(paced);
        device_ = platform::MakeSerialDevice(0);
        EXPECT_TRUE(device_->Open());
        EXPECT_TRUE(device_->SetupComm(4096, 6144));
    }

    void SetBaud(std::uint32_t baud) {
        platform::DCB dcb{};
        ASSERT_TRUE(device_->GetCommState(dcb));
        dcb.BaudRate = baud;
        dcb.ByteSize = 8;
        dcb.Parity = platform::NOPARITY;
        dcb.StopBits = platform::ONESTOPBIT;
        ASSERT_TRUE(device_->SetCommState(dcb));
    }
    void Send(const std::vector<std::uint8_t>& bytes) {
        std::uint32_t queued = 0;
        ASSERT_TRUE(device_->Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), queued,
                                   nullptr));
        ASSERT_EQ(queued, bytes.size());
    }
    void Send(std::uint8_t byte) { Send(std::vector<std::uint8_t>{byte}); }
    void SendText(const std::string& text) {
        Send(std::vector<std::uint8_t>(text.begin(), text.end()));
    }

    int Next(std::uint64_t timeoutMs = 10000) {
        const std::uint64_t deadline = clock_.MonotonicMs() + timeoutMs;
        for (;;) {
            Poll();
            if (!rx_.empty()) {
                const int byte = rx_.front();
                rx_.pop_front();
                return byte;
            }
            const std::uint64_t now = clock_.MonotonicMs();
            if (now >= deadline || !receiver_.Present())
                return -1;
            // A paced device moves bytes as time passes; otherwise jump to the receiver.
            const std::uint64_t due = paced_ ? now + 1 : receiver_.NextDueMs();
            clock_.AdvanceTo(std::clamp(due, now + 1, deadline));
        }
    }
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
    std::string ReadFor(std::uint64_t ms) {
        std::string text;
        const std::uint64_t until = clock_.MonotonicMs() + ms;
        for (int byte = Next(ms); byte >= 0;
             byte = Next(until - std::min(until, clock_.MonotonicMs())))
            text += static_cast<char>(byte);
        return text;
    }

  private:
    void Poll() {
        std::uint32_t errors = 0;
        platform::COMSTAT stat{};
        device_->ClearCommError(errors, &stat);
        std::uint8_t buf[512];
        std::uint32_t got = 0;
        while (device_->Read(buf, sizeof buf, got, nullptr) && got > 0)
            rx_.insert(rx_.end(), buf, buf + got);
    }

    SimulatedReceiver& receiver_;
    platform::VirtualClock& clock_;
    bool paced_;
    platform::MemorySerialBank bank_;
    std::shared_ptr<platform::SerialDevice> device_;
    std::deque<std::uint8_t> rx_;
};

class MemoryDevice : public ::testing::Test {
  protected:
    platform::VirtualClock clock;
    platform::ScopedClock useClock{clock};
};

TEST_F(MemoryDevice, IdentifiesAtItsSpeedAndGarblesAtAnother) {
    sim::ReceiverOptions options;
    options.SetModel("Solvanta GPS");
    SimulatedReceiver receiver(options);
    DeviceWire wire(receiver, clock, true);
    wire.SetBaud(4800);
    wire.SendText(WireHost::Sentence("PXRVCMD,VERSION") + WireHost::Sentence("PXRVCMD,MEMORY"));
    const std::string replies = wire.ReadFor(1000);
    EXPECT_NE(replies.find("$PXRVVER,033,"), std::string::npos) << replies;
    EXPECT_NE(replies.find("$PXRVMEM,4096,0,1024*"), std::string::npos) << replies;
    EXPECT_EQ(receiver.HostSpeed(), 4800u);

    wire.SetBaud(9600);
    wire.SendText(WireHost::Sentence("PXRVCMD,VERSION"));
    EXPECT_EQ(wire.ReadFor(1000), "");
    EXPECT_EQ(receiver.Counters().sentencesAnswered, 2u);
}

TEST_F(MemoryDevice, DetailMapLoadAtPacedLineRate) {
    sim::ReceiverOptions options;
    options.SetModel("Pathwick Topo");
    SimulatedReceiver receiver(options);
    DeviceWire wire(receiver, clock, true);
    wire.SetBaud(4800);
    wire.SendText(WireHost::Sentence("PXRVCMD,MPUPLOAD,2"));
    wire.ReadFor(1000);
    wire.SetBaud(115200);
    const std::vector<std::uint8_t> image = Pattern(20000, 4);
    const std::uint64_t start = clock.MonotonicMs();
    MiniHost<DeviceWire> mini(wire, true);
    ASSERT_TRUE(mini.Load(image, 0, 0xFFFFFFFF));
    EXPECT_EQ(receiver.ReadFlash(0, 20000), image);
    EXPECT_EQ(mini.endSize, 20000u);
    // 11 records of about 1990 bytes at 11520 bytes a second, plus programming.
    EXPECT_GE(clock.MonotonicMs() - start, 1900u);
    EXPECT_LE(clock.MonotonicMs() - start, 2600u);
}

TEST_F(MemoryDevice, MegabyteAddressModeLoadInUnderASecond) {
    SimulatedReceiver receiver(InLoader());
    DeviceWire wire(receiver, clock, false);
    wire.SetBaud(115200);
    const std::vector<std::uint8_t> image = Pattern(1 << 20, 3);
    const auto start = std::chrono::steady_clock::now();
    MiniHost<DeviceWire> mini(wire, false);
    ASSERT_TRUE(mini.Load(image, 0x2D004000, 0x2D004000 + (1 << 20) - 1));
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::cout << "1 MiB address-mode load through the memory device: " << clock.MonotonicMs()
              << " ms virtual, " << elapsed.count() << " ms real\n";
    EXPECT_EQ(receiver.ReadFlash(0x2D004000, 1 << 20), image);
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(elapsed.count(), 1000);
#endif
}

}  // namespace
