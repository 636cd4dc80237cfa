#include <gtest/gtest.h>

#include "COMLINK/CommLink.h"
#include "COMLINK/LineSettings.h"
#include "COMLINK/Win32CommPort.h"
#include "platform/MemorySerialBank.h"
#include "platform/VirtualClock.h"

namespace {

TEST(CommLinkSmoke, SendsAndReceivesOnAMemoryDevice) {
    platform::VirtualClock clock;
    platform::ScopedClock useClock(clock);
    platform::MemorySerialBank bank;
    platform::MemorySerialDevice& device = bank.Attach(2);
    Win32CommPort port(2, 4096, 2048, 0);
    ASSERT_EQ(port.LastError(), CL_OK);
    CommLink link(port);
    EXPECT_EQ(link.SendByte('A'), CL_OK);
    EXPECT_EQ(device.TakeSent(), std::vector<std::uint8_t>{'A'});
    const std::uint8_t reply[] = {0x42};
    device.DeliverToHost(reply, 1);
    EXPECT_EQ(link.ReadByteTimed(0), 0x42);
    EXPECT_EQ(link.ReadByteTimed(0), CL_ERR_TIMEOUT);
}

}  // namespace
