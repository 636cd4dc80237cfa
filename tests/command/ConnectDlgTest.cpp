// The connection dialog's scan over COM1..COM4 and four speeds, in virtual time, with a
// receiver attached to a chosen port of the memory device bank.
#include "command/CConnectDlg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "platform/MemorySerialBank.h"
#include "res/Resource.h"
#include "tests/command/ReplyText.h"
#include "tests/command/TestReceiver.h"
#include "tests/support/ScriptedUi.h"

namespace {

constexpr const char* kCaption = "Establishing Communication with Receiver";
constexpr int kScanSpeeds[] = {4800, 9600, 19200, 1200};

class ConnectDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        theUnit.ResetForStart();
        theApp.baudChosenByUser = 0;
    }
    void TearDown() override { theUnit.ResetForStart(); }

    // Status texts in the order shown, each with the virtual time it appeared.
    std::vector<std::pair<std::uint64_t, std::string>> StatusTimeline() {
        std::vector<std::pair<std::uint64_t, std::string>> timeline;
        for (const ui::TranscriptEntry& entry : ui.Log().Entries()) {
            if (entry.caption != kCaption)
                continue;
            const std::string* text = entry.Control(IDC_STATUS_TEXT);
            if (text == nullptr || text->empty())
                continue;
            if (timeline.empty() || timeline.back().second != *text)
                timeline.emplace_back(entry.timeMs, *text);
        }
        return timeline;
    }
    // Whole ticks between the dialog's opening and its closing.
    std::uint64_t TicksUntilClosed() {
        std::uint64_t opened = 0, closed = 0;
        for (const ui::TranscriptEntry& entry : ui.Log().Entries()) {
            if (entry.caption != kCaption)
                continue;
            if (entry.kind == ui::TranscriptEntry::Kind::DialogOpened)
                opened = entry.timeMs;
            if (entry.kind == ui::TranscriptEntry::Kind::DialogClosed)
                closed = entry.timeMs;
        }
        return (closed - opened) / 1000;
    }

    // A receiver that outlives the channel (TearDown closes it).
    TestReceiver& Receiver(std::uint32_t baud) {
        receivers.push_back(std::make_unique<TestReceiver>(baud));
        return *receivers.back();
    }

    ScriptedUi ui;
    platform::MemorySerialBank bank;
    std::vector<std::unique_ptr<TestReceiver>> receivers;
};

TEST_F(ConnectDlgTest, WithoutReceiverEveryPortGetsTheFourSpeedsInTurnForEver) {
    theUnit.autoUpload = 1;
    ui.OnDialog(kCaption).After(17500).Press(ui::IDCANCEL);
    CConnectDlg dialog;
    EXPECT_EQ(dialog.promptText, "Power on GPS unit");
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);

    std::vector<std::string> expected;
    for (int port = 1; port <= 4; ++port) {
        for (int speed : kScanSpeeds)
            expected.push_back("Using COM" + std::to_string(port) + " at " + std::to_string(speed) +
                               " baud");
    }
    expected.push_back("Using COM1 at 4800 baud");
    expected.push_back("Using COM1 at 9600 baud");
    auto timeline = StatusTimeline();
    ASSERT_EQ(timeline.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(timeline[i].second, expected[i]);
        // A port that does not open is left after one tick per speed.
        EXPECT_EQ(timeline[i].first, timeline[0].first + 1000 * i) << expected[i];
    }
    // Cancel ends an automatic upload, and nothing is stored.
    EXPECT_EQ(theUnit.autoUpload, 0);
    EXPECT_EQ(theUnit.family, 0);
    EXPECT_EQ(theUnit.isOpen, 0);
}

TEST_F(ConnectDlgTest, PortThatOpensGetsTwoTicksPerSpeed) {
    TestReceiver& silent = Receiver(9600);
    bank.Attach(1, &silent);
    ui.OnDialog(kCaption).After(13500).Press(ui::IDCANCEL);
    CConnectDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);

    auto timeline = StatusTimeline();
    ASSERT_GE(timeline.size(), 9u);
    EXPECT_EQ(timeline[4].second, "Using COM2 at 4800 baud");
    EXPECT_EQ(timeline[4].first - timeline[0].first, 4000u);
    for (std::size_t i = 5; i <= 8; ++i)
        EXPECT_EQ(timeline[i].first - timeline[i - 1].first, 2000u) << timeline[i].second;
    EXPECT_EQ(timeline[8].second, "Using COM3 at 4800 baud");
    // Each tick on the open port asked for version and memory, at every speed.
    EXPECT_EQ(silent.raw.size() % 41, 0u);
    EXPECT_EQ(silent.raw.size(), 8u * 41);
}

TEST_F(ConnectDlgTest, ReceiverOnCom3At19200IsFoundAndItsPortAndSpeedStored) {
    TestReceiver& receiver = Receiver(19200);
    receiver.versionReply = replytext::Version("037", "1.23");
    receiver.memoryReply = replytext::Memory("1024,0,3");
    bank.Attach(2, &receiver);
    theUnit.baud = 9600;
    theUnit.comIndex = 3;

    CConnectDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(theUnit.comIndex, 2);
    EXPECT_EQ(theUnit.baud, 19200);
    EXPECT_EQ(theUnit.family, 15);
    EXPECT_EQ(theUnit.unitName, "Pathwick");
    EXPECT_EQ(theUnit.fwMajor, 1);
    EXPECT_EQ(theUnit.fwMinor, 23);
    EXPECT_EQ(theUnit.memInfo, (std::array<int, 3>{1024, 0, 3}));
    EXPECT_EQ(theUnit.isOpen, 1);  // the channel stays open for what follows
    EXPECT_EQ(StatusTimeline().back().second, "Using COM3 at 19200 baud");
}

TEST_F(ConnectDlgTest, EveryPortAndSpeedIsFoundWithinTheTicksTheScanOrderImplies) {
    for (int port = 0; port < 4; ++port) {
        for (int speedIndex = 0; speedIndex < 4; ++speedIndex) {
            int speed = kScanSpeeds[speedIndex];
            SCOPED_TRACE("COM" + std::to_string(port + 1) + " at " + std::to_string(speed));
            ScriptedUi run;
            platform::MemorySerialBank ports;
            theUnit.ResetForStart();
            TestReceiver receiver(static_cast<std::uint32_t>(speed));
            receiver.versionReply = replytext::Version("044", "2.05");
            ports.Attach(port, &receiver);
            run.SetTimeLimit(60000);

            CConnectDlg dialog;
            ASSERT_EQ(dialog.DoModal(), ui::IDOK);
            EXPECT_EQ(theUnit.comIndex, port);
            EXPECT_EQ(theUnit.baud, speed);
            EXPECT_EQ(theUnit.unitType, 14);

            // One tick for each speed of a port that does not open, two for each speed
            // tried on the port that does.
            std::uint64_t bound = 4u * port + 2u * (speedIndex + 1);
            std::uint64_t opened = 0, closed = 0;
            for (const ui::TranscriptEntry& entry : run.Log().Entries()) {
                if (entry.kind == ui::TranscriptEntry::Kind::DialogOpened)
                    opened = entry.timeMs;
                if (entry.kind == ui::TranscriptEntry::Kind::DialogClosed)
                    closed = entry.timeMs;
            }
            EXPECT_LE((closed - opened) / 1000, bound);
            EXPECT_GE((closed - opened) / 1000, bound - 1);
            theUnit.Close();
        }
    }
}

TEST_F(ConnectDlgTest, MemoryReplyAloneNeverEndsTheScan) {
    TestReceiver& receiver = Receiver(4800);
    receiver.memoryReply = replytext::Memory("1,2,3");
    bank.Attach(0, &receiver);
    ui.OnDialog(kCaption).After(9500).Press(ui::IDCANCEL);
    CConnectDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(theUnit.memInfo, (std::array<int, 3>{1, 2, 3}));
    EXPECT_EQ(theUnit.family, 0);
    EXPECT_EQ(receiver.Count("CMD,MEMORY"), 1);  // one query at 4800 before the switch
}

TEST_F(ConnectDlgTest, UnsupportedReceiverEndsTheScanWithFamilyOne) {
    TestReceiver& receiver = Receiver(4800);
    receiver.versionReply = replytext::Version("077", "1.00");
    bank.Attach(0, &receiver);
    CConnectDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(theUnit.family, 1);
    EXPECT_EQ(TicksUntilClosed(), 2u);
}

TEST_F(ConnectDlgTest, EnterDoesNotPretendAReceiverWasFound) {
    ui.OnDialog(kCaption).After(1500).Enter();
    ui.At(3500).Press(ui::IDCANCEL);
    CConnectDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(TicksUntilClosed(), 3u);
}

}  // namespace
