#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/MemorySerialBank.h"
#include "platform/MemorySerialDevice.h"
#include "platform/VirtualClock.h"
#include "tests/platform/SerialConformance.h"
#include "tests/support/TestPeer.h"

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
                         ::testing::Values(SerialBackendCase{
                             "Memory", [] { return std::make_unique<MemoryLine>(); }, true, false}),
                         ByName);

}  // namespace
