// The connection dialog's scan over COM1..COM4 and four speeds, in virtual time with simulated
// receivers on the memory device bank.
#include "command/CConnectDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "app/CGpsUnit.h"
#include "platform/MemorySerialBank.h"
#include "res/Resource.h"
#include "sim/SimulatedReceiver.h"
#include "tests/support/ScriptedUi.h"

namespace {

constexpr const char* kCaption = "Establishing Communication with Receiver";
constexpr int kScanSpeeds[] = {4800, 9600, 19200, 1200};

class ConnectDlgTest : public ::testing::Test {
  protected:
    // The ticks the scan takes to find this receiver on this port; leaves it identified.
    std::uint64_t TicksToFind(int port, int speed) {
        ScriptedUi ui;
        platform::MemorySerialBank bank;
        sim::ReceiverOptions options;
        options.sentenceSpeed = static_cast<std::uint32_t>(speed);
        sim::SimulatedReceiver receiver(options);
        bank.Attach(port, &receiver);
        unit.ResetForStart();
        CConnectDlg dialog(unit, unit.autoUpload);
        EXPECT_EQ(dialog.DoModal(), ui::IDOK);
        EXPECT_EQ(unit.isOpen, 1);  // the channel stays open for what follows
        unit.Close();
        return ui.Clock().MonotonicMs() / 1000;  // the dialog opened at 0
    }

    ScriptedUi ui;
    platform::MemorySerialBank noPorts;  // every port fails to open like a missing one
    CGpsUnit unit;
};

TEST_F(ConnectDlgTest, WithoutReceiverEveryPortGetsTheFourSpeedsInTurnForEver) {
    unit.autoUpload = 1;
    ui.OnDialog(kCaption).After(17500).Press(ui::IDCANCEL);
    CConnectDlg dialog(unit, unit.autoUpload);
    EXPECT_EQ(dialog.promptText, "Power on GPS unit");
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);

    // 18 texts in 17.5 s: a port that does not open is left after one tick per speed.
    std::vector<std::string> shown = ui.Log().ControlHistory(kCaption, IDC_STATUS_TEXT);
    ASSERT_EQ(shown.size(), 1u + 18u);      // the empty control before the dialog shows
    for (std::size_t i = 0; i < 18; ++i) {  // back to COM1 after COM4
        EXPECT_EQ(shown[i + 1], "Using COM" + std::to_string(i / 4 % 4 + 1) + " at " +
                                    std::to_string(kScanSpeeds[i % 4]) + " baud");
    }
    // Cancel ends an automatic upload; nothing was found or kept open.
    EXPECT_EQ(std::tuple(unit.autoUpload, unit.family, unit.isOpen), std::tuple(0, 0, 0));
}

TEST_F(ConnectDlgTest, EnterDoesNotPretendAReceiverWasFound) {
    ui.OnDialog(kCaption).After(1500).Enter();
    ui.At(3500).Press(ui::IDCANCEL);
    CConnectDlg dialog(unit, unit.autoUpload);
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(ui.Clock().MonotonicMs() / 1000, 3u);
}

TEST_F(ConnectDlgTest, ReceiverOnAnyPortAtAnySpeedIsFoundWithinTheTicksTheScanOrderImplies) {
    // Each port before does not open: a tick per speed. The receiver's port gets two ticks
    // per speed; at its own speed the queries of one tick are answered by the next (the
    // first queries go out at the first tick).
    for (int port = 0; port < 4; ++port) {
        for (int speedIndex = 0; speedIndex < 4; ++speedIndex) {
            int speed = kScanSpeeds[speedIndex];
            SCOPED_TRACE("COM" + std::to_string(port + 1) + " at " + std::to_string(speed));
            EXPECT_EQ(TicksToFind(port, speed), std::max(2u, 4u * port + 2u * speedIndex + 1u));
            EXPECT_EQ(unit.comIndex, port);
            EXPECT_EQ(unit.baud, speed);
        }
    }
}

}  // namespace
