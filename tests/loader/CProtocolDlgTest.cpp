// Finding the loader's line speed: the protocol dialog against the simulated receiver.
#include <gtest/gtest.h>

#include <memory>

#include "app/CGpsUnit.h"
#include "loader/CProtocolDlg.h"
#include "platform/MemorySerialBank.h"
#include "res/Resource.h"
#include "sim/SimulatedReceiver.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempWorkDir.h"

namespace {

constexpr const char* kCaption = "Determing Upload Protocol";
using Speeds = std::vector<std::uint32_t>;
using Texts = std::vector<std::string>;

class ProtocolDlg : public ::testing::Test {
  protected:
    void SetUp() override { unit.unitName = "Pathwick"; }
    // A receiver in its loader; on COM1 at the sentence speed, as drivers leave the channel.
    void ReceiverInLoader(std::uint32_t loaderSpeed, bool attach = true) {
        sim::ReceiverOptions options;
        options.startInLoader = true;
        options.loaderSpeed = loaderSpeed;
        receiver = std::make_unique<sim::SimulatedReceiver>(options);
        if (attach) {
            bank.Attach(0, receiver.get());
            unit.Open(0, 4800, false);
        }
    }

    ScriptedUi ui;
    TempWorkDir dir;
    platform::MemorySerialBank bank;
    std::unique_ptr<sim::SimulatedReceiver> receiver;
    CGpsUnit unit;  // after the bank and the receiver: the port closes before they go
    bool baudChosenByUser = false;
};

struct Heard {
    std::uint32_t loaderSpeed;
    std::uint64_t attachAtMs;  // 0: the port opens at once
    Texts elapsed;             // shown until the tick that hears the loader
};
class ProtocolDlgHears : public ProtocolDlg, public ::testing::WithParamInterface<Heard> {};

// 19200 at the third tick, after 115200; a port that does not open is tried every tick.
TEST_P(ProtocolDlgHears, TheLoaderAtTheTickOfItsSpeed) {
    const Heard& p = GetParam();
    ReceiverInLoader(p.loaderSpeed, p.attachAtMs == 0);
    if (p.attachAtMs != 0)
        ui.At(p.attachAtMs).Run([this] { bank.Attach(0, receiver.get()); });
    CProtocolDlg dialog(unit, baudChosenByUser, unit.autoUpload);
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(ui.Clock().MonotonicMs(), 1000 * (p.elapsed.size() - 2));
    EXPECT_EQ(unit.baud, static_cast<int>(p.loaderSpeed));
    EXPECT_EQ(unit.isOpen, 1);
    EXPECT_EQ(ui.Log().ControlHistory(kCaption, IDC_STATUS_TEXT), (Texts{"", "Pathwick on COM1"}));
    EXPECT_EQ(ui.Log().ControlHistory(kCaption, IDC_ELAPSED_TEXT), p.elapsed);
}

INSTANTIATE_TEST_SUITE_P(
    Speeds, ProtocolDlgHears,
    ::testing::Values(
        Heard{19200, 0, {"", "00:00:00", "00:00:01", "00:00:02", "00:00:03"}},
        Heard{115200, 2500, {"", "00:00:00", "00:00:01", "00:00:02", "00:00:03", "00:00:04"}}));

struct Switching {
    int baudChosenByUser, baud;  // baud: the channel's; 0: automatic, the port stays at 4800
    Speeds speeds;               // at 500, 1500, ... 6500 ms
    int opens;                   // of the port, from construction to Cancel
};
class ProtocolDlgSwitches : public ProtocolDlg, public ::testing::WithParamInterface<Switching> {};

// Automatic: 115200 and 19200 in turn, two seconds each; a speed the user chose stays.
TEST_P(ProtocolDlgSwitches, SpeedsUntilCancelWhichClearsAutoUpload) {
    ReceiverInLoader(57600);
    baudChosenByUser = GetParam().baudChosenByUser;
    unit.Open(0, GetParam().baud != 0 ? GetParam().baud : 4800, false);
    unit.baud = GetParam().baud;
    unit.autoUpload = 1;
    ui.OnDialog(kCaption).After(7500).Press(ui::IDCANCEL);
    Speeds speeds;
    for (std::uint64_t t = 500; t < 7000; t += 1000)
        ui.At(t).Run([&] { speeds.push_back(bank.Device(0)->Line().baud); });
    const int opens = bank.Device(0)->OpenCount();
    CProtocolDlg dialog(unit, baudChosenByUser, unit.autoUpload);
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(unit.autoUpload, 0);
    EXPECT_EQ(speeds, GetParam().speeds);
    EXPECT_EQ(bank.Device(0)->OpenCount() - opens, GetParam().opens);
    EXPECT_EQ(ui.Log().ControlHistory(kCaption, IDC_ELAPSED_TEXT).back(), "00:00:07");
}

INSTANTIATE_TEST_SUITE_P(
    Speeds, ProtocolDlgSwitches,
    ::testing::Values(Switching{0, 4800, {115200, 115200, 19200, 19200, 115200, 115200, 19200}, 4},
                      Switching{1, 115200, Speeds(7, 115200), 0},
                      Switching{1, 0, Speeds(7, 4800), 0}));

}  // namespace
