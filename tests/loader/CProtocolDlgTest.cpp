// Finding the loader's line speed: the protocol dialog against the simulated receiver.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
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
    void SetUp() override {
        theUnit.ResetForStart();
        theApp.baudChosenByUser = 0;
        theUnit.unitName = "Pathwick";
    }
    void TearDown() override {
        theUnit.ResetForStart();
        theApp.baudChosenByUser = 0;
    }

    // A receiver in its loader at this speed on COM1, and the command channel open on it at
    // the sentence speed, as the drivers leave it.
    void ReceiverInLoader(std::uint32_t loaderSpeed, bool attach = true) {
        sim::ReceiverOptions options;
        options.startInLoader = true;
        options.loaderSpeed = loaderSpeed;
        receiver = std::make_unique<sim::SimulatedReceiver>(options);
        if (attach) {
            bank.Attach(0, receiver.get());
            theUnit.Open(0, 4800, false);
        }
    }
    // The speed of the line at these times of the dialog's run.
    void SampleSpeeds(std::initializer_list<std::uint64_t> times) {
        for (std::uint64_t t : times) {
            ui.At(t).Run(
                [this] { speeds.push_back(theUnit.isOpen ? bank.Device(0)->Line().baud : 0); });
        }
    }
    // The texts a control showed once the dialog had filled it in.
    Texts Shown(int id) {
        Texts texts = ui.Log().ControlHistory(kCaption, id);
        texts.erase(std::remove(texts.begin(), texts.end(), std::string()), texts.end());
        return texts;
    }

    ScriptedUi ui;
    TempWorkDir dir;
    platform::MemorySerialBank bank;
    std::unique_ptr<sim::SimulatedReceiver> receiver;
    Speeds speeds;
};

struct Heard {
    std::uint32_t loaderSpeed;
    std::uint64_t closedAtMs;
    Texts elapsed;
};
class ProtocolDlgHears : public ProtocolDlg, public ::testing::WithParamInterface<Heard> {};

// 115200 at the first tick; 19200 at the third, as the port switches at the second.
TEST_P(ProtocolDlgHears, TheLoaderAtTheTickOfItsSpeed) {
    ReceiverInLoader(GetParam().loaderSpeed);
    CProtocolDlg dialog;
    EXPECT_EQ(dialog.unitText, "Pathwick on COM1");
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(ui.Clock().MonotonicMs(), GetParam().closedAtMs);
    EXPECT_EQ(theUnit.baud, static_cast<int>(GetParam().loaderSpeed));
    EXPECT_EQ(theUnit.isOpen, 1);
    EXPECT_EQ(Shown(IDC_STATUS_TEXT), Texts{"Pathwick on COM1"});
    EXPECT_EQ(Shown(IDC_ELAPSED_TEXT), GetParam().elapsed);
}

INSTANTIATE_TEST_SUITE_P(
    Speeds, ProtocolDlgHears,
    ::testing::Values(Heard{115200, 1000, {"00:00:00", "00:00:01"}},
                      Heard{19200, 3000, {"00:00:00", "00:00:01", "00:00:02", "00:00:03"}}));

TEST_F(ProtocolDlg, SpeedsAlternateEveryTwoSecondsUntilCancelled) {
    ReceiverInLoader(57600);
    theUnit.autoUpload = 1;
    ui.OnDialog(kCaption).After(6500).Press(ui::IDCANCEL);
    SampleSpeeds({500, 1500, 2500, 3500, 4500, 5500, 6400});
    CProtocolDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(theUnit.autoUpload, 0);
    EXPECT_EQ(speeds, (Speeds{115200, 115200, 19200, 19200, 115200, 115200, 19200}));
}

TEST_F(ProtocolDlg, ASpeedChosenByTheUserIsNeverSwitched) {
    ReceiverInLoader(19200);
    theApp.baudChosenByUser = 1;
    theUnit.Open(0, 115200, false);
    ui.OnDialog(kCaption).After(9500).Press(ui::IDCANCEL);
    SampleSpeeds({500, 2500, 4500, 6500, 8500});
    CProtocolDlg dialog;
    const int opens = bank.Device(0)->OpenCount();
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(bank.Device(0)->OpenCount(), opens);
    EXPECT_EQ(speeds, Speeds(5, 115200));
    EXPECT_EQ(Shown(IDC_ELAPSED_TEXT).back(), "00:00:09");

    // Automatic speed chosen by the user: the port is not even reopened at the start.
    theUnit.baud = 0;
    const int before = bank.Device(0)->OpenCount();
    CProtocolDlg automatic;
    EXPECT_EQ(bank.Device(0)->OpenCount(), before);
}

TEST_F(ProtocolDlg, APortThatDoesNotOpenIsTriedAgainOnEveryTick) {
    ReceiverInLoader(115200, false);
    ui.At(2500).Run([&] { bank.Attach(0, receiver.get()); });
    CProtocolDlg dialog;
    EXPECT_EQ(theUnit.isOpen, 0);
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    // Opened at the tick of 3000 ms; heard at the next.
    EXPECT_EQ(ui.Clock().MonotonicMs(), 4000u);
    EXPECT_EQ(theUnit.baud, 115200);
}

}  // namespace
