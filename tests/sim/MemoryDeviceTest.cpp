#include <gtest/gtest.h>

#include <chrono>
#include <iostream>

#include "platform/MemorySerialBank.h"
#include "platform/VirtualClock.h"
#include "tests/sim/WireHost.h"

namespace {

// COM1 with the receiver behind it, as the uploader's tests use it, in virtual time.
class DeviceWire {
  public:
    explicit DeviceWire(sim::SimulatedReceiver& receiver) : receiver_(receiver) {
        EXPECT_TRUE(device_.Open());  // the receiver takes a host without a speed as matching
    }
    void Send(const Bytes& bytes) {
        std::uint32_t queued = 0;
        const auto size = static_cast<std::uint32_t>(bytes.size());
        EXPECT_TRUE(device_.Write(bytes.data(), size, queued, nullptr) && queued == size);
    }
    int Next(std::uint64_t timeoutMs = 10000) {
        const std::uint64_t deadline = clock_.MonotonicMs() + timeoutMs;
        std::uint8_t byte = 0;
        for (std::uint32_t got = 0; !device_.Read(&byte, 1, got, nullptr) || got == 0;) {
            const std::uint64_t now = clock_.MonotonicMs();
            if (now >= deadline)
                return -1;
            clock_.AdvanceTo(std::clamp(receiver_.NextDueMs(), now + 1, deadline));
        }
        return byte;
    }

  private:
    sim::SimulatedReceiver& receiver_;
    platform::VirtualClock clock_;
    platform::ScopedClock useClock_{clock_};
    platform::MemorySerialBank bank_;
    platform::MemorySerialDevice& device_{bank_.Attach(0, &receiver_)};
};

TEST(MemoryDevice, MegabyteAddressModeLoadInUnderASecond) {
    sim::SimulatedReceiver receiver(InLoader());
    DeviceWire wire(receiver);
    const Bytes image = Pattern(1 << 20, 3);
    const auto start = std::chrono::steady_clock::now();
    LoadImage(wire, image, 0x2D004000);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::cout << "1 MiB address-mode load through the memory device: "
              << platform::GetClock().MonotonicMs() << " ms virtual, " << elapsed.count()
              << " ms real\n";
    EXPECT_EQ(receiver.ReadFlash(0x2D004000, 1 << 20), image);
    EXPECT_EQ(receiver.Counters().recordsAccepted, 530u);  // each record once
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(elapsed.count(), 1000);
#endif
}

}  // namespace
