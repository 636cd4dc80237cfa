// The command channel on a memory serial device: the sentences on the wire, opening,
// reply line assembly and the settle pause.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "COMLINK/CommLink.h"
#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "tests/command/ReplyText.h"
#include "tests/support/MemorySerialFixture.h"
#include "tests/support/ScriptedUi.h"

namespace {

using replytext::Sentence;

// COM1 attached and the channel open on it at 9600; the user's clock runs the test.
class CommandChannelTest : public MemorySerialFixture {
  protected:
    void SetUp() override { unit.Open(0, 9600, false); }

    ScriptedUi ui;
    CGpsUnit unit;
    CUploaderApp app{unit};
    platform::MemorySerialDevice& com1 = device;
};

TEST_F(CommandChannelTest, SentencesOnTheWireAndCallsOnAClosedChannelAreHarmless) {
    for (const char* text : {"CMD,VERSION", "CMD,MEMORY", "CMD,PIH", "CMD,MPH"})
        unit.SendSentence(text);
    EXPECT_EQ(
        Sent(),
        "$PXRVCMD,VERSION*30\r\n$PXRVCMD,MEMORY*6B\r\n$PXRVCMD,PIH*3B\r\n$PXRVCMD,MPH*3F\r\n");

    unit.Close();
    unit.Close();
    unit.SendSentence("CMD,VERSION");
    unit.Settle();  // nothing to wait for
    EXPECT_EQ(Sent(), "");
    EXPECT_EQ(ui.Clock().MonotonicMs(), 0u);
    EXPECT_FALSE(unit.PollReplies() || unit.WaitLoaderByte());
}

TEST_F(CommandChannelTest, PortThatDoesNotOpenIsNeverOpenAndTheSpeedAskedForDecidesAutomatic) {
    // A speed the port refuses takes everything down again.
    platform::MemorySerialDevice& com2 = bank.Attach(1);
    com2.SetBaudFilter([](std::uint32_t baud) { return baud != 4800; });
    unit.Open(1, 4800, false);
    EXPECT_EQ(std::pair(unit.isOpen, unit.openFailed), std::pair(0, 1));
    EXPECT_FALSE(com2.IsOpen());

    // Automatic speed sets no speed on the port, but a missing port is still a failure.
    app.baudChosenByUser = 1;
    unit.Open(3, 0, false);
    EXPECT_EQ(std::pair(unit.isOpen, unit.openFailed), std::pair(0, 1));
    unit.Open(0, 0, false);
    EXPECT_EQ(unit.isOpen, 1);
    EXPECT_EQ(com1.Line().baud, 1200u);
    // A speed asked for explicitly is set, whatever the stored choice.
    unit.Open(0, 19200, false);
    EXPECT_EQ(com1.Line().baud, 19200u);
    EXPECT_EQ(unit.baud, 19200);
}

TEST_F(CommandChannelTest, RepliesAreAssembledAcrossPollsCheckedAndKeptToTheLineLength) {
    // Noise before "$" and line feeds never reach the line buffer.
    std::string version = replytext::Version("037", "1.23");
    Deliver("\n\x01xyz" + version.substr(0, 10));
    EXPECT_FALSE(unit.PollReplies());
    EXPECT_EQ(std::string(unit.lineBuf.data(), unit.lineLen), version.substr(0, 10));
    Deliver(version.substr(10) + "\r\n");
    EXPECT_TRUE(unit.PollReplies());
    EXPECT_EQ(unit.family, 15);
    EXPECT_EQ(unit.lineLen, 0);

    // Two replies in one poll are both interpreted, also after a recognised one.
    Deliver(Sentence("PXRVPOI,HEADER") + "\r\n" + Sentence("PXRVMEM,4,5,6") + "\r\n");
    EXPECT_TRUE(unit.PollReplies());
    EXPECT_EQ(unit.poiHeader, Sentence("PXRVPOI,HEADER").substr(9));  // checksum kept
    EXPECT_EQ(unit.memInfo, (std::array<int, 3>{4, 5, 6}));

    // The checksum must match, plainly or with the "$" folded in.
    for (unsigned char twist : {0x00, 0x24, 0x01, 0x20, 0x04}) {
        Deliver(Sentence("PXRVPOI,X", twist) + "\r\n");
        EXPECT_EQ(unit.PollReplies(), twist == 0x00 || twist == 0x24) << int(twist);
    }
    Deliver("$PXRVPOI,none\r$*\r$\r");  // no checksum at all
    EXPECT_FALSE(unit.PollReplies());

    // A line of 256 characters is lost; the next "$" starts afresh.
    std::string fits = Sentence("PXRVPOI," + std::string(243, 'B'));
    std::string tooLong = Sentence("PXRVPOI," + std::string(244, 'C'));
    ASSERT_EQ(fits.size() + tooLong.size(), 255u + 256u);
    Deliver(fits + "\r");
    EXPECT_TRUE(unit.PollReplies());
    EXPECT_EQ(unit.poiHeader, std::string(127, 'B'));  // headers are cut to 127

    Deliver(tooLong + "\r" + Sentence("PXRVMPH,MAP") + "\r");
    EXPECT_TRUE(unit.PollReplies());
    EXPECT_EQ(unit.poiHeader, std::string(127, 'B'));
    EXPECT_EQ(unit.mapHeader.substr(0, 3), "MAP");
}

TEST_F(CommandChannelTest, SettleDrainsTheQueueWaitsTwoSecondsAndEndsOnAVanishedDevice) {
    com1.SetPacing(true);
    unit.Open(0, 1200, false);
    ui.Clock().Advance(300);  // not on a second boundary
    unit.SendSentence("CMD,DBUPLOAD");
    std::uint64_t start = ui.Clock().MonotonicMs();
    std::int64_t startSecond = ui.Clock().CalendarSeconds();
    unit.Settle();
    EXPECT_EQ(Sent(), "$PXRVCMD,DBUPLOAD*6F\r\n" + std::string(1, '\0'));
    // 23 bytes at 1200 bit/s are about 192 ms on the line.
    EXPECT_GE(ui.Clock().MonotonicMs() - start, 192u);
    EXPECT_LE(ui.Clock().MonotonicMs() - start, 192u + 2000u + 20u);
    EXPECT_GE(ui.Clock().CalendarSeconds(), startSecond + 2);

    // 2000 bytes would need almost 17 s at 1200 bit/s, but the device has gone.
    std::string block(2000, 'x');
    unit.link->Write(block.data(), static_cast<int>(block.size()));
    com1.SetPresent(false);
    start = ui.Clock().MonotonicMs();
    auto realStart = std::chrono::steady_clock::now();
    unit.Settle();
    EXPECT_LE(ui.Clock().MonotonicMs() - start, 3500u);
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::milliseconds(500));
}

}  // namespace
