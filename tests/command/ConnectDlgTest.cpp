// The connection dialog's scan over COM1..COM4 and four speeds, and the identification
// it ends with, in virtual time with simulated receivers on the memory device bank.
#include "command/CConnectDlg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "command/UnitTable.h"
#include "platform/MemorySerialBank.h"
#include "res/Resource.h"
#include "sim/SimulatedReceiver.h"
#include "tests/command/ReplyText.h"
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

    // A receiver on a port; it outlives the channel (TearDown closes that).
    sim::SimulatedReceiver& Attach(int portIndex, sim::ReceiverOptions options,
                                   std::uint32_t speed) {
        options.sentenceSpeed = speed;
        receivers.push_back(std::make_unique<sim::SimulatedReceiver>(std::move(options)));
        bank.Attach(portIndex, receivers.back().get());
        return *receivers.back();
    }
    // Status texts in the order shown, each with the virtual time it appeared.
    std::vector<std::pair<std::uint64_t, std::string>> StatusTimeline() {
        std::vector<std::pair<std::uint64_t, std::string>> timeline;
        for (const ui::TranscriptEntry& entry : ui.Log().Entries()) {
            const std::string* text = entry.Control(IDC_STATUS_TEXT);
            if (entry.caption != kCaption || text == nullptr || text->empty())
                continue;
            if (timeline.empty() || timeline.back().second != *text)
                timeline.emplace_back(entry.timeMs, *text);
        }
        return timeline;
    }
    // Whole ticks from the dialog's opening to its closing.
    std::uint64_t TicksUntilClosed() {
        std::uint64_t opened = 0, closed = 0;
        for (const ui::TranscriptEntry& entry : ui.Log().Entries()) {
            if (entry.kind == ui::TranscriptEntry::Kind::DialogOpened)
                opened = entry.timeMs;
            if (entry.kind == ui::TranscriptEntry::Kind::DialogClosed)
                closed = entry.timeMs;
        }
        return (closed - opened) / 1000;
    }
    // Runs the scan with a receiver of these options on COM1 at 4800 until it is found.
    void IdentifyOnCom1(const sim::ReceiverOptions& options) {
        Attach(0, options, 4800);
        CConnectDlg dialog;
        ASSERT_EQ(dialog.DoModal(), ui::IDOK);
        EXPECT_EQ(TicksUntilClosed(), 2u);
    }

    ScriptedUi ui;
    platform::MemorySerialBank bank;
    std::vector<std::unique_ptr<sim::SimulatedReceiver>> receivers;
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
    // Cancel ends an automatic upload; nothing was found or kept open.
    EXPECT_EQ(theUnit.autoUpload, 0);
    EXPECT_EQ(theUnit.family, 0);
    EXPECT_EQ(theUnit.isOpen, 0);
}

TEST_F(ConnectDlgTest, ReceiverOnCom3At19200IsFoundAndItsPortAndSpeedStored) {
    Attach(2, sim::ReceiverOptions(), 19200);
    theUnit.baud = 9600;
    theUnit.comIndex = 3;

    CConnectDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(theUnit.comIndex, 2);
    EXPECT_EQ(theUnit.baud, 19200);
    EXPECT_EQ(theUnit.family, 15);
    EXPECT_EQ(theUnit.unitName, "Pathwick");
    EXPECT_EQ(theUnit.isOpen, 1);  // the channel stays open for what follows
    // COM1 and COM2 do not open: a tick per speed; COM3 gets two per speed.
    EXPECT_EQ(TicksUntilClosed(), 4u + 4u + 2u * 2u + 1u);
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
            sim::ReceiverOptions options;
            options.SetModel("Pathwick Topo");
            options.sentenceSpeed = static_cast<std::uint32_t>(speed);
            sim::SimulatedReceiver receiver(options);
            ports.Attach(port, &receiver);
            run.SetTimeLimit(60000);

            CConnectDlg dialog;
            ASSERT_EQ(dialog.DoModal(), ui::IDOK);
            EXPECT_EQ(theUnit.comIndex, port);
            EXPECT_EQ(theUnit.baud, speed);
            EXPECT_EQ(theUnit.unitType, 14);
            EXPECT_EQ(theUnit.unitName, "Pathwick Topo");

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
            theUnit.Close();
        }
    }
}

TEST_F(ConnectDlgTest, MemoryReplyAloneNeverEndsTheScan) {
    platform::MemorySerialDevice& com1 = bank.Attach(0);
    std::string memory = replytext::Memory("1,2,3") + "\r\n";
    ui.At(500).Run([&] {
        com1.DeliverToHost(reinterpret_cast<const std::uint8_t*>(memory.data()), memory.size());
    });
    ui.At(3500).Press(ui::IDCANCEL);
    CConnectDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(theUnit.memInfo, (std::array<int, 3>{1, 2, 3}));
    EXPECT_EQ(theUnit.family, 0);
}

TEST_F(ConnectDlgTest, EnterDoesNotPretendAReceiverWasFound) {
    ui.OnDialog(kCaption).After(1500).Enter();
    ui.At(3500).Press(ui::IDCANCEL);
    CConnectDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(TicksUntilClosed(), 3u);
}

TEST_F(ConnectDlgTest, EveryModelIsIdentifiedAsTheUnitTableSays) {
    for (const UnitTableRow& row : UnitTable) {
        SCOPED_TRACE(std::string(row.displayName));
        theUnit.ResetForStart();
        ui.Log().Clear();
        sim::ReceiverOptions options;
        ASSERT_TRUE(options.SetModel(row.productCode));
        if (row.unitType == 6) {
            ASSERT_TRUE(options.SetModel(row.displayName));
        }
        options.firmware = "4.56";
        IdentifyOnCom1(options);
        EXPECT_EQ(theUnit.family, row.family == 3 ? 2 : row.family);
        EXPECT_EQ(theUnit.unitType, row.unitType);
        EXPECT_EQ(theUnit.unitName, row.displayName);
        EXPECT_EQ(theUnit.productCode, row.productCode);
        EXPECT_EQ(theUnit.askMapHeader, row.askMapHeader);
        EXPECT_EQ(theUnit.askPoiHeader, row.askPoiHeader);
        EXPECT_EQ(theUnit.askMapHeader + theUnit.askPoiHeader, 1);
        EXPECT_EQ(theUnit.fwMajor, 4);
        EXPECT_EQ(theUnit.fwMinor, 56);
        theUnit.Close();
    }
}

TEST_F(ConnectDlgTest, SharedCodesAreToldApartByModelTextAndMemory) {
    // "023" is a supported model only with its model text.
    sim::ReceiverOptions dual;
    dual.SetModel("023");
    IdentifyOnCom1(dual);
    EXPECT_EQ(theUnit.family, 2);
    EXPECT_EQ(theUnit.unitType, 2);
    theUnit.ResetForStart();
    dual.modelText = "GPS 7K3 PRO";
    IdentifyOnCom1(dual);
    EXPECT_EQ(theUnit.family, 1);
    EXPECT_EQ(theUnit.unitType, 0);

    // "033" is unit type 7 unless the memory reply shows no second bank.
    sim::ReceiverOptions solvanta;
    solvanta.SetModel("033");
    solvanta.memory = "4096,2048,1024";
    theUnit.ResetForStart();
    IdentifyOnCom1(solvanta);
    EXPECT_EQ(theUnit.unitType, 7);
    EXPECT_EQ(theUnit.family, 5);
    solvanta.memory = "4096,0,1024";
    theUnit.ResetForStart();
    IdentifyOnCom1(solvanta);
    EXPECT_EQ(theUnit.unitType, 6);
    EXPECT_EQ(theUnit.family, 6);
    EXPECT_EQ(theUnit.unitName, "Solvanta GPS");
}

TEST_F(ConnectDlgTest, UnsupportedReceiverEndsTheScanWithFamilyOne) {
    sim::ReceiverOptions other;
    other.SetUnknownCode("077");
    IdentifyOnCom1(other);
    EXPECT_EQ(theUnit.family, 1);
    EXPECT_EQ(theUnit.unitName, "");
}

TEST_F(ConnectDlgTest, FirmwareVersionFields) {
    struct Case {
        const char* firmware;
        int major, minor;
    };
    for (const Case& c :
         {Case{"1.23", 1, 23}, Case{"2.05", 2, 5}, Case{"3", 3, 0}, Case{"1.5", 1, 5}}) {
        SCOPED_TRACE(c.firmware);
        theUnit.ResetForStart();
        sim::ReceiverOptions options;
        options.firmware = c.firmware;
        IdentifyOnCom1(options);
        EXPECT_EQ(theUnit.fwMajor, c.major);
        EXPECT_EQ(theUnit.fwMinor, c.minor);
        theUnit.Close();
    }
}

}  // namespace
