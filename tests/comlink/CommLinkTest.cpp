#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "COMLINK/CommLink.h"
#include "COMLINK/CommSignal.h"
#include "COMLINK/LineSettings.h"
#include "COMLINK/Win32CommPort.h"
#include "tests/support/MemorySerialFixture.h"

namespace {

class LinkTest : public MemorySerialFixture {
  protected:
    void SetUp() override { device.SetPeer(&peer); }
    unsigned short Summary(CommLink& link, int expected = CL_OK) {
        unsigned short summary = 0xFFFF;
        EXPECT_EQ(link.LineErrors(summary), expected);
        return summary;
    }
};

TEST_F(LinkTest, ChannelSetupAndTeardownChangeTheLineInOrder) {
    auto port = std::make_unique<Win32CommPort>(0, 4096, 2048, 0);
    ASSERT_EQ(port->SetHandshake(CS_XONXOFF, CS_CTS), CL_OK);
    auto link = std::make_unique<CommLink>(*port);
    auto line = std::make_unique<LineSettings>(link.get());
    ASSERT_EQ(line->SetBaud(4800), CL_OK);
    ASSERT_EQ(link->SetTxQueueSize(6144), CL_OK);
    device.SetBaudFilter([](std::uint32_t baud) { return baud != 12345; });
    EXPECT_EQ(line->SetBaud(12345), CL_ERR_GENERAL);  // refused: the object keeps 4800
    EXPECT_EQ(line->Baud(), 4800);
    EXPECT_EQ(port->TakeLastError(), CL_ERR_BAUD);
    // 19200 and a handshake (port), 1200 and 9600 (link), no handshake, 1200 and 4800
    // (channel), queues.
    const std::vector<std::uint32_t> set{19200, 19200, 1200, 9600, 9600, 1200, 4800, 4800};
    EXPECT_EQ(AppliedBauds(), set);
    EXPECT_EQ(
        std::tuple(peer.lastParams.parity, peer.lastParams.dataBits, peer.lastParams.stopBits),
        std::tuple('N', 8, 1));
    EXPECT_FALSE(device.State().fInX || device.State().fOutxCtsFlow);
    EXPECT_TRUE(peer.dtr && peer.rts);

    line.reset();
    EXPECT_EQ(AppliedBauds().size(), set.size() + 1);
    link.reset();
    // The channel's line went back to 9600 once; then the handshake the link found (applied
    // at the speed then set), then the link's line to the port's 19200, once.
    std::vector<std::uint32_t> restored = set;
    restored.insert(restored.end(), {9600, 9600, 19200});
    EXPECT_EQ(AppliedBauds(), restored);
    EXPECT_TRUE(device.State().fInX && device.State().fOutxCtsFlow);
    int rx = 0, tx = 0;
    port->GetHandshake(rx, tx);
    EXPECT_EQ(std::pair(rx, tx), std::pair(int{CS_XONXOFF}, int{CS_CTS}));
    port.reset();
    EXPECT_FALSE(device.IsOpen() || peer.dtr || peer.rts);
}

TEST_F(LinkTest, LineErrorsAreReportedOnce) {
    Win32CommPort port(0, 16, 8, 0);
    CommLink link(port);
    EXPECT_EQ(Summary(link), 0);
    device.InjectLineErrors(platform::CE_FRAME);
    EXPECT_EQ(link.ReadByteTimed(0), CL_ERR_TIMEOUT);  // the driver's report is collected here
    EXPECT_EQ(Summary(link), 0x02);
    EXPECT_EQ(Summary(link), 0);
    device.InjectLineErrors(platform::CE_RXPARITY | platform::CE_RXOVER | platform::CE_OVERRUN |
                            platform::CE_BREAK);
    EXPECT_EQ(Summary(link), 0x01 | 0x04 | 0x08 | 0x10);

    // A recorded failure of the port comes first, once, with the summary 0.
    device.SetXoffHold(true);
    EXPECT_EQ(link.Write("0123456789", 10), 8);
    device.InjectLineErrors(platform::CE_FRAME);
    EXPECT_EQ(Summary(link, CL_ERR_SHORT_WRITE), 0);
    EXPECT_EQ(port.LastError(), CL_OK);
    EXPECT_EQ(Summary(link), 0x02);

    // Bytes beyond the receive queue are lost as an overflow.
    peer.SendAt(0, "0123456789abcdefOVERFLOW");
    EXPECT_EQ(link.RxCount(), 16);
    EXPECT_EQ(Summary(link), 0x04);
    std::string got;
    for (int byte = link.ReadByteTimed(0); byte >= 0; byte = link.ReadByteTimed(0))
        got += static_cast<char>(byte);
    EXPECT_EQ(got, "0123456789abcdef");
}

}  // namespace
