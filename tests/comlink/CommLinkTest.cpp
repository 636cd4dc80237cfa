#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "COMLINK/CommLink.h"
#include "COMLINK/CommSignal.h"
#include "COMLINK/HandshakeSettings.h"
#include "COMLINK/LineSettings.h"
#include "COMLINK/Win32CommPort.h"
#include "tests/comlink/MemoryPortFixture.h"

namespace {

// A far end that records what it sees and answers bytes at given virtual times.
class ScriptedPeer : public platform::SerialPeer {
  public:
    void OnLineParams(const platform::LineParams& params) override { params_.push_back(params); }
    void OnHostBytes(const std::uint8_t* data, std::size_t size, std::uint64_t nowMs) override {
        for (std::size_t i = 0; i < size; ++i)
            received_.emplace_back(data[i], nowMs);
    }
    void Service(std::uint64_t nowMs, std::vector<std::uint8_t>& toHost) override {
        while (!due_.empty() && due_.front().first <= nowMs) {
            toHost.push_back(due_.front().second);
            due_.pop_front();
        }
    }
    void OnModemLines(bool dtr, bool rts) override { lines_.emplace_back(dtr, rts); }
    bool Present() const override { return present_; }

    void SendAt(std::uint64_t ms, const std::string& bytes) {
        for (char c : bytes)
            due_.emplace_back(ms, static_cast<std::uint8_t>(c));
    }
    std::string Received() const {
        std::string text;
        for (const auto& item : received_)
            text += static_cast<char>(item.first);
        return text;
    }

    std::vector<platform::LineParams> params_;
    std::vector<std::pair<std::uint8_t, std::uint64_t>> received_;
    std::vector<std::pair<bool, bool>> lines_;
    std::deque<std::pair<std::uint64_t, std::uint8_t>> due_;
    bool present_ = true;
};

class LinkTest : public MemoryPortTest {
  protected:
    ScriptedPeer peer;
    void SetUp() override { device.SetPeer(&peer); }
    std::vector<std::uint32_t> PeerBauds() const {
        std::vector<std::uint32_t> bauds;
        for (const auto& params : peer.params_)
            bauds.push_back(params.baud);
        return bauds;
    }
};

TEST_F(LinkTest, ChannelSetupAndTeardownChangeTheLineInOrder) {
    auto port = std::make_unique<Win32CommPort>(0, 4096, 2048, 0);
    auto link = std::make_unique<CommLink>(*port);
    auto line = std::make_unique<LineSettings>(link.get());
    ASSERT_EQ(line->SetBaud(4800), CL_OK);
    ASSERT_EQ(link->SetTxQueueSize(6144), CL_OK);
    // 19200 (port), 1200 and 9600 (link), no handshake, 1200 and 4800 (channel), queues.
    EXPECT_EQ(PeerBauds(), (std::vector<std::uint32_t>{19200, 1200, 9600, 9600, 1200, 4800, 4800}));
    EXPECT_EQ(peer.params_.back().parity, 'N');
    EXPECT_EQ(peer.params_.back().dataBits, 8);
    EXPECT_EQ(peer.params_.back().stopBits, 1);
    EXPECT_TRUE(device.Dtr());
    EXPECT_TRUE(device.Rts());
    EXPECT_EQ(device.TxQueueSize(), 6144u);

    peer.params_.clear();
    line.reset();
    EXPECT_EQ(PeerBauds(), std::vector<std::uint32_t>{9600});
    link.reset();
    // The handshake goes back first (applied at the speed then set), then the line.
    EXPECT_EQ(PeerBauds(), (std::vector<std::uint32_t>{9600, 9600, 19200}));
    port.reset();
    EXPECT_FALSE(device.IsOpen());
    ASSERT_FALSE(peer.lines_.empty());
    EXPECT_EQ(peer.lines_.back(), std::make_pair(false, false));
}

TEST_F(LinkTest, DestroyingTheLinkPutsBackTheHandshakeItFound) {
    Win32CommPort port(0, 4096, 2048, 0);
    ASSERT_EQ(port.SetHandshake(CS_XONXOFF, CS_CTS), CL_OK);
    {
        CommLink link(port);
        EXPECT_EQ(device.State().fInX, 0);
        EXPECT_EQ(device.State().fOutxCtsFlow, 0);
    }
    int rx = 0;
    int tx = 0;
    port.GetHandshake(rx, tx);
    EXPECT_EQ(rx, CS_XONXOFF);
    EXPECT_EQ(tx, CS_CTS);
    EXPECT_EQ(device.State().fInX, 1);
    EXPECT_EQ(device.State().BaudRate, 19200u);
}

TEST_F(LinkTest, LinkOnAFailedPortHasNoSettingsAndHandsOverTheFailureOnce) {
    Win32CommPort port(5, 4096, 2048, 0);  // nothing on COM6
    ASSERT_EQ(port.LastError(), CL_ERR_GENERAL);
    CommLink link(port);
    EXPECT_EQ(link.Line(), nullptr);
    EXPECT_EQ(link.Handshake(), nullptr);
    LineSettings line(&link);
    EXPECT_EQ(line.SetBaud(4800), CL_ERR_GENERAL);
    EXPECT_EQ(line.Baud(), 1200);
    unsigned short summary = 0xFFFF;
    EXPECT_EQ(link.LineErrors(summary), CL_ERR_GENERAL);  // the failed apply's record
    EXPECT_EQ(summary, 0);
    summary = 0xFFFF;
    EXPECT_EQ(link.LineErrors(summary), CL_ERR_GENERAL);  // no handshake settings
    EXPECT_EQ(summary, 0);
    EXPECT_EQ(link.SendByte('x'), CL_ERR_SHORT_WRITE);
    EXPECT_EQ(link.ReadByteTimed(0), CL_ERR_TIMEOUT);
}

TEST_F(LinkTest, RefusedSpeedKeepsThePreviousOneInTheObject) {
    device.SetBaudFilter([](std::uint32_t baud) { return baud != 12345; });
    Win32CommPort port(0, 4096, 2048, 0);
    CommLink link(port);
    LineSettings line(&link);
    ASSERT_EQ(line.SetBaud(19200), CL_OK);
    EXPECT_EQ(line.SetBaud(12345), CL_ERR_GENERAL);
    EXPECT_EQ(line.Baud(), 19200);
    EXPECT_EQ(port.TakeLastError(), CL_ERR_BAUD);
    EXPECT_EQ(device.State().BaudRate, 19200u);
}

TEST_F(LinkTest, SettingsWithoutAPortAnswerAsDocumented) {
    LineSettings line;
    EXPECT_EQ(line.Capture(), CL_ERR_GENERAL);
    EXPECT_EQ(line.Apply(), CL_ERR_GENERAL);
    EXPECT_EQ(line.Restore(), CL_OK);
    EXPECT_EQ(line.Set(9600, 'E', 7, 2), CL_ERR_GENERAL);
    EXPECT_EQ(line.Baud(), 9600);
}

TEST_F(LinkTest, ReadByteTimedPollsOnTheClock) {
    Win32CommPort port(0, 4096, 2048, 0);
    CommLink link(port);
    std::uint64_t start = clock.MonotonicMs();
    EXPECT_EQ(link.ReadByteTimed(0), CL_ERR_TIMEOUT);
    EXPECT_EQ(clock.MonotonicMs(), start);  // one attempt, no wait

    EXPECT_EQ(link.ReadByteTimed(50), CL_ERR_TIMEOUT);
    EXPECT_EQ(clock.MonotonicMs(), start + 50);

    peer.SendAt(start + 80, "K");
    EXPECT_EQ(link.ReadByteTimed(100), 'K');
    EXPECT_EQ(clock.MonotonicMs(), start + 80);
    EXPECT_EQ(link.ReadByteTimed(-5), CL_ERR_TIMEOUT);
}

TEST_F(LinkTest, WritesReachThePeerAtOnceUnlessPaced) {
    Win32CommPort port(0, 4096, 2048, 0);
    CommLink link(port);
    EXPECT_EQ(link.Write(nullptr, 5), 0);
    EXPECT_EQ(link.Write("hello", 5), 5);
    EXPECT_EQ(link.TxCount(), 0);
    EXPECT_EQ(peer.Received(), "hello");

    // 9600 bit/s, ten bits a byte: 960 bytes a second.
    device.SetPacing(true);
    std::uint64_t start = clock.MonotonicMs();
    std::string block(96, 'x');
    EXPECT_EQ(link.Write(block.data(), 96), 96);
    EXPECT_EQ(link.TxCount(), 96);
    clock.Advance(50);
    int left = link.TxCount();
    EXPECT_GE(left, 47);
    EXPECT_LE(left, 49);
    clock.Advance(50);
    EXPECT_EQ(link.TxCount(), 0);
    ASSERT_EQ(peer.received_.size(), 5u + 96u);
    EXPECT_EQ(peer.received_[5].second, start + 1);
    EXPECT_EQ(peer.received_.back().second, start + 100);
}

TEST_F(LinkTest, DiscardInputWithACount) {
    Win32CommPort port(0, 4096, 2048, 0);
    CommLink link(port);
    Deliver("ab");
    EXPECT_EQ(link.RxCount(), 2);
    EXPECT_EQ(link.DiscardInput(3), CL_OK);
    EXPECT_EQ(link.RxCount(), 0);
    Deliver("abcde");
    EXPECT_EQ(link.DiscardInput(3), CL_ERR_GENERAL);
    EXPECT_EQ(link.RxCount(), 2);
    EXPECT_EQ(link.DiscardInput(0), CL_OK);
    EXPECT_EQ(link.RxCount(), 0);
    device.SetXoffHold(true);
    link.Write("abc", 3);
    EXPECT_EQ(link.DiscardOutput(), CL_OK);
    EXPECT_EQ(link.TxCount(), 0);
}

TEST_F(LinkTest, LineErrorsAreReportedOnce) {
    Win32CommPort port(0, 4096, 2048, 0);
    CommLink link(port);
    unsigned short summary = 0xFFFF;
    EXPECT_EQ(link.LineErrors(summary), CL_OK);
    EXPECT_EQ(summary, 0);

    device.InjectLineErrors(platform::CE_FRAME);
    EXPECT_EQ(link.ReadByteTimed(0), CL_ERR_TIMEOUT);  // the driver's report is collected here
    EXPECT_EQ(link.LineErrors(summary), CL_OK);
    EXPECT_EQ(summary, 0x02);
    EXPECT_EQ(link.LineErrors(summary), CL_OK);
    EXPECT_EQ(summary, 0);

    device.InjectLineErrors(platform::CE_RXPARITY | platform::CE_RXOVER | platform::CE_OVERRUN |
                            platform::CE_BREAK);
    EXPECT_EQ(link.LineErrors(summary), CL_OK);
    EXPECT_EQ(summary, 0x01 | 0x04 | 0x08 | 0x10);
}

TEST_F(LinkTest, PendingFailureComesBeforeLineErrors) {
    Win32CommPort port(0, 64, 8, 0);
    CommLink link(port);
    device.SetXoffHold(true);
    EXPECT_EQ(link.Write("0123456789", 10), 8);
    device.InjectLineErrors(platform::CE_FRAME);
    unsigned short summary = 0xFFFF;
    EXPECT_EQ(link.LineErrors(summary), CL_ERR_SHORT_WRITE);
    EXPECT_EQ(summary, 0);
    EXPECT_EQ(port.LastError(), CL_OK);
    EXPECT_EQ(link.LineErrors(summary), CL_OK);
    EXPECT_EQ(summary, 0x02);
}

TEST_F(LinkTest, BytesBeyondTheReceiveQueueAreLostAsAnOverflow) {
    Win32CommPort port(0, 16, 2048, 0);
    CommLink link(port);
    peer.SendAt(0, "0123456789abcdefOVERFLOW");
    EXPECT_EQ(link.RxCount(), 16);
    unsigned short summary = 0;
    EXPECT_EQ(link.LineErrors(summary), CL_OK);
    EXPECT_EQ(summary, 0x04);
    std::string got;
    for (int byte = link.ReadByteTimed(0); byte >= 0; byte = link.ReadByteTimed(0)) {
        got += static_cast<char>(byte);
    }
    EXPECT_EQ(got, "0123456789abcdef");
}

TEST_F(LinkTest, UnpluggedReceiverMakesTheChannelFail) {
    Win32CommPort port(0, 4096, 2048, 0);
    CommLink link(port);
    LineSettings line(&link);
    peer.SendAt(0, "late");
    peer.present_ = false;
    EXPECT_EQ(link.ReadByteTimed(10), CL_ERR_TIMEOUT);
    EXPECT_EQ(link.SendByte('x'), CL_ERR_SHORT_WRITE);
    EXPECT_EQ(line.SetBaud(4800), CL_ERR_GENERAL);
    EXPECT_EQ(peer.Received(), "");
}

}  // namespace
