// The command channel on a memory serial device: opening and closing in order, the
// sentences on the wire, reply line assembly, the loader byte and the settle pause.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "COMLINK/CommLink.h"
#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "platform/MemorySerialBank.h"
#include "tests/command/ReplyText.h"
#include "tests/support/ScriptedUi.h"

namespace {

using replytext::Sentence;
using replytext::Version;

class CommandChannelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        theUnit.ResetForStart();
        theApp.baudChosenByUser = 0;
    }
    void TearDown() override {
        theUnit.ResetForStart();
        theApp.baudChosenByUser = 0;
    }

    // Bytes from the line into the receive queue of COM1.
    void Deliver(const std::string& bytes) {
        device().DeliverToHost(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::string Sent() {
        std::vector<std::uint8_t> sent = device().TakeSent();
        return std::string(sent.begin(), sent.end());
    }
    platform::MemorySerialDevice& device() { return *bank.Device(0); }
    std::string Line() const {
        return std::string(theUnit.lineBuf.data(), static_cast<std::size_t>(theUnit.lineLen));
    }

    ScriptedUi ui;
    platform::MemorySerialBank bank;
};

TEST_F(CommandChannelTest, SentencesGoOutWithTagChecksumAndLineEnd) {
    bank.Attach(0);
    theUnit.Open(0, 9600, false);
    ASSERT_EQ(theUnit.isOpen, 1);
    Sent();

    theUnit.SendSentence("CMD,VERSION");
    theUnit.SendSentence("CMD,MEMORY");
    theUnit.SendSentence("CMD,PIH");
    theUnit.SendSentence("CMD,MPH");
    EXPECT_EQ(
        Sent(),
        "$PXRVCMD,VERSION*30\r\n$PXRVCMD,MEMORY*6B\r\n$PXRVCMD,PIH*3B\r\n$PXRVCMD,MPH*3F\r\n");

    theUnit.Close();
    theUnit.SendSentence("CMD,VERSION");  // closed: nothing, and no crash
    EXPECT_EQ(Sent(), "");
}

TEST_F(CommandChannelTest, OpenSetsTheSpeedAndCloseRestoresInReverseOrder) {
    bank.Attach(2);
    theUnit.Open(2, 19200, false);
    ASSERT_EQ(theUnit.isOpen, 1);
    EXPECT_EQ(theUnit.openFailed, 0);
    EXPECT_EQ(theUnit.comIndex, 2);
    EXPECT_EQ(theUnit.baud, 19200);
    ASSERT_NE(theUnit.port, nullptr);
    ASSERT_NE(theUnit.link, nullptr);
    ASSERT_NE(theUnit.lineSettings, nullptr);
    platform::MemorySerialDevice& com3 = *bank.Device(2);
    EXPECT_EQ(com3.Line().baud, 19200u);
    EXPECT_EQ(com3.TxQueueSize(), 6144u);
    std::size_t applied = com3.AppliedHistory().size();

    theUnit.Close();
    EXPECT_EQ(theUnit.isOpen, 0);
    EXPECT_EQ(theUnit.link, nullptr);
    EXPECT_FALSE(com3.IsOpen());
    // The channel's settings go first (back to the link's 9600), then the link's handshake
    // and line settings (19200).
    const auto& history = com3.AppliedHistory();
    ASSERT_GT(history.size(), applied + 1);
    EXPECT_EQ(history[applied].baud, 9600u);
    EXPECT_EQ(history.back().baud, 19200u);

    theUnit.Close();  // closed already: nothing
    EXPECT_EQ(theUnit.isOpen, 0);
}

TEST_F(CommandChannelTest, PortThatDoesNotOpenFailsQuietlyOrWithTheMessage) {
    theUnit.Open(1, 9600, false);
    EXPECT_EQ(theUnit.isOpen, 0);
    EXPECT_EQ(theUnit.openFailed, 1);
    EXPECT_TRUE(ui.Log().MessageBoxes().empty());
    EXPECT_EQ(theUnit.baud, 4800);  // the stored speed is not touched

    ui.OnMessageBox("COULD NOT OPEN COM PORT", "ERROR").Press(ui::IDOK);
    theUnit.Open(1, 9600, true);
    EXPECT_EQ(theUnit.openFailed, 1);
    ASSERT_EQ(ui.Log().MessageBoxes().size(), 1u);
    EXPECT_EQ(ui.Log().MessageBoxes()[0]->flags, ui::MB_OK | ui::MB_ICONINFORMATION);

    // A speed the port refuses takes everything down again; a good open clears the flag.
    platform::MemorySerialDevice& com2 = bank.Attach(1);
    com2.SetBaudFilter([](std::uint32_t baud) { return baud != 4800; });
    theUnit.Open(1, 4800, false);
    EXPECT_EQ(theUnit.openFailed, 1);
    EXPECT_EQ(theUnit.port, nullptr);
    EXPECT_FALSE(com2.IsOpen());
    theUnit.Open(1, 9600, true);
    EXPECT_EQ(theUnit.openFailed, 0);
    EXPECT_EQ(theUnit.isOpen, 1);
}

TEST_F(CommandChannelTest, AutomaticSpeedChosenByTheUserLeavesTheLineAt1200) {
    bank.Attach(0);
    theApp.baudChosenByUser = 1;
    theUnit.baud = 0;
    theUnit.Open(0, 0, false);
    EXPECT_EQ(theUnit.isOpen, 1);
    EXPECT_EQ(theUnit.baud, 0);
    EXPECT_EQ(device().Line().baud, 1200u);

    // A missing port is a failure even though no speed is set on it.
    theUnit.Open(3, 0, false);
    EXPECT_EQ(theUnit.isOpen, 0);
    EXPECT_EQ(theUnit.openFailed, 1);

    // A speed asked for explicitly is set, whatever the stored choice.
    theUnit.Open(0, 19200, false);
    EXPECT_EQ(device().Line().baud, 19200u);
    EXPECT_EQ(theUnit.baud, 19200);
}

TEST_F(CommandChannelTest, ReopenKeepsTheSamePortAndSpeedOnly) {
    bank.Attach(0);
    theUnit.Reopen(0, 9600, false);
    ASSERT_EQ(theUnit.isOpen, 1);
    EXPECT_EQ(device().OpenCount(), 1);
    Sent();
    std::size_t applied = device().AppliedHistory().size();

    theUnit.Reopen(0, 9600, false);
    EXPECT_EQ(device().OpenCount(), 1);
    EXPECT_EQ(device().AppliedHistory().size(), applied);
    EXPECT_EQ(Sent(), "");

    theUnit.Reopen(0, 4800, false);
    EXPECT_EQ(device().OpenCount(), 2);
    EXPECT_EQ(device().Line().baud, 4800u);
    EXPECT_EQ(theUnit.baud, 4800);
}

TEST_F(CommandChannelTest, DestroyingTheReceiverObjectOrResettingItClosesTheChannel) {
    bank.Attach(0);
    {
        CGpsUnit unit;
        unit.Open(0, 9600, false);
        ASSERT_TRUE(device().IsOpen());
    }
    EXPECT_FALSE(device().IsOpen());

    theUnit.Open(0, 9600, false);
    theUnit.ResetForStart();
    EXPECT_EQ(theUnit.isOpen, 0);
    EXPECT_FALSE(device().IsOpen());
}

TEST_F(CommandChannelTest, RepliesAreAssembledAcrossPollsAndSeveralInOnePoll) {
    bank.Attach(0);
    theUnit.Open(0, 9600, false);
    EXPECT_FALSE(theUnit.PollReplies());

    // Noise before "$" and the line feed never reach the line buffer.
    std::string version = Version("037", "1.23");
    Deliver("\n\x01xyz" + version.substr(0, 10));
    EXPECT_FALSE(theUnit.PollReplies());
    EXPECT_EQ(Line(), version.substr(0, 10));
    Deliver(version.substr(10) + "\r");
    EXPECT_TRUE(theUnit.PollReplies());
    EXPECT_EQ(theUnit.family, 15);
    EXPECT_EQ(theUnit.lineLen, 0);
    Deliver("\n");
    EXPECT_FALSE(theUnit.PollReplies());
    EXPECT_EQ(theUnit.lineLen, 0);

    // Two replies in one poll are both interpreted, also after a recognised one.
    Deliver(Sentence("PXRVPOI,HEADER") + "\r\n" + replytext::Memory("4,5,6") + "\r\n");
    EXPECT_TRUE(theUnit.PollReplies());
    EXPECT_EQ(theUnit.poiHeader.substr(0, 6), "HEADER");
    EXPECT_EQ(theUnit.memInfo, (std::array<int, 3>{4, 5, 6}));

    // A memory reply alone is not recognised.
    Deliver(replytext::Memory("7,8,9") + "\r\n");
    EXPECT_FALSE(theUnit.PollReplies());
    EXPECT_EQ(theUnit.memInfo[0], 7);

    theUnit.Close();
    EXPECT_FALSE(theUnit.PollReplies());
}

TEST_F(CommandChannelTest, ChecksumMustMatchPlainOrWithTheDollarFoldedIn) {
    bank.Attach(0);
    theUnit.Open(0, 9600, false);
    struct Case {
        unsigned char twist;
        bool accepted;
    };
    for (Case c : {Case{0x00, true}, Case{0x24, true}, Case{0x01, false}, Case{0x20, false},
                   Case{0x04, false}}) {
        theUnit.poiHeader.clear();
        Deliver(Sentence("PXRVPOI,X", c.twist) + "\r\n");
        EXPECT_EQ(theUnit.PollReplies(), c.accepted) << int(c.twist);
        EXPECT_EQ(!theUnit.poiHeader.empty(), c.accepted) << int(c.twist);
    }
    // Either case of hexadecimal digits; no checksum at all is refused.
    std::string lower = Sentence("PXRVPOI,lower-case");
    for (char& ch : lower)
        ch = (&ch > &lower[lower.size() - 3]) ? static_cast<char>(std::tolower(ch)) : ch;
    Deliver(lower + "\r");
    EXPECT_TRUE(theUnit.PollReplies());
    Deliver("$PXRVPOI,none\r$*\r$\r");
    EXPECT_FALSE(theUnit.PollReplies());
}

TEST_F(CommandChannelTest, LineOf256CharactersIsLostAndTheNextDollarStartsAfresh) {
    bank.Attach(0);
    theUnit.Open(0, 9600, false);
    // 255 characters from the "$" fit; a 256th drops the line.
    std::string fits = Sentence("PXRVPOI," + std::string(243, 'B'));
    ASSERT_EQ(fits.size(), 255u);
    Deliver(fits + "\r");
    EXPECT_TRUE(theUnit.PollReplies());
    EXPECT_EQ(theUnit.poiHeader, std::string(127, 'B'));

    theUnit.poiHeader.clear();
    std::string tooLong = Sentence("PXRVPOI," + std::string(244, 'C'));
    ASSERT_EQ(tooLong.size(), 256u);
    // The 256th character drops the line; what follows up to the next "$" is noise.
    Deliver(tooLong + "\r" + Sentence("PXRVMPH,MAP") + "\r");
    EXPECT_TRUE(theUnit.PollReplies());
    EXPECT_EQ(theUnit.poiHeader, "");
    EXPECT_EQ(theUnit.mapHeader.substr(0, 3), "MAP");
}

TEST_F(CommandChannelTest, LoaderByteIsFoundAmongOtherBytes) {
    bank.Attach(0);
    theUnit.Open(0, 115200, false);
    EXPECT_FALSE(theUnit.WaitLoaderByte());
    Deliver(std::string("\x01\xFF$\x77\x55", 5));
    EXPECT_TRUE(theUnit.WaitLoaderByte());
    EXPECT_EQ(theUnit.link->RxCount(), 1);  // what follows the loader byte stays
    EXPECT_FALSE(theUnit.WaitLoaderByte());
    EXPECT_EQ(theUnit.link->RxCount(), 0);
    Deliver(std::string("\x00\xAA", 2));
    EXPECT_TRUE(theUnit.WaitLoaderByte());

    theUnit.Close();
    EXPECT_FALSE(theUnit.WaitLoaderByte());  // no link: nothing to read, no crash
}

TEST_F(CommandChannelTest, SettleDrainsTheQueueThenWaitsTwoClockSeconds) {
    platform::MemorySerialDevice& com1 = bank.Attach(0);
    com1.SetPacing(true);
    theUnit.Open(0, 1200, false);
    Sent();
    platform::VirtualClock& clock = ui.Clock();
    clock.Advance(300);  // not on a second boundary

    theUnit.SendSentence("CMD,DBUPLOAD");
    theUnit.SendSentence("CMD,DBUPLOAD");
    std::uint64_t start = clock.MonotonicMs();
    std::int64_t startSecond = clock.CalendarSeconds();
    theUnit.Settle();
    // 2 x 22 bytes and the zero byte at 1200 bit/s: about 408 ms on the line.
    EXPECT_EQ(com1.TxQueued(), 0u);
    EXPECT_EQ(Sent(), "$PXRVCMD,DBUPLOAD*6F\r\n$PXRVCMD,DBUPLOAD*6F\r\n" + std::string(1, '\0'));
    std::uint64_t elapsed = clock.MonotonicMs() - start;
    EXPECT_GE(elapsed, 408u);
    EXPECT_GE(clock.CalendarSeconds(), startSecond + 2);
    EXPECT_LE(elapsed, 408u + 2000u + 20u);
}

TEST_F(CommandChannelTest, SettleEndsOnADeviceThatHasGone) {
    platform::MemorySerialDevice& com1 = bank.Attach(0);
    com1.SetPacing(true);
    theUnit.Open(0, 1200, false);
    std::string block(2000, 'x');
    theUnit.link->Write(block.data(), static_cast<int>(block.size()));
    com1.SetPresent(false);

    std::uint64_t start = ui.Clock().MonotonicMs();
    theUnit.Settle();
    // At 1200 bit/s the queue alone would need almost 17 s.
    EXPECT_LE(ui.Clock().MonotonicMs() - start, 3500u);

    // Closed channel: nothing to wait for.
    theUnit.Close();
    start = ui.Clock().MonotonicMs();
    theUnit.Settle();
    EXPECT_EQ(ui.Clock().MonotonicMs(), start);
}

}  // namespace
