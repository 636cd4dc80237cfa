// The expert setup and the line-speed dialog: what they show when opened and what they
// store in the receiver object.
#include "dialogs/CExpertSetupDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "dialogs/CBaudRateDlg.h"
#include "res/Resource.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempWorkDir.h"

namespace {

constexpr char kExpert[] = "Expert Setup";
constexpr char kBaud[] = "Set Baud Rate";
constexpr int kComOther = IDC_EXPERT_COM_OTHER;
constexpr int kNumber = IDC_EXPERT_COM_NUMBER;

class ExpertSetupTest : public ::testing::Test {
  protected:
    int RunExpertSetup() {
        ui.Log().Clear();
        CExpertSetupDlg dialog(app);
        return dialog.DoModal();
    }
    std::tuple<int, int, int, int> Unit() const {
        return {unit.family, unit.unitType, unit.comIndex, unit.expertMode};
    }

    TempWorkDir dir;
    ScriptedUi ui;
    CGpsUnit unit;
    CUploaderApp app{unit};
};

// The number box counts only for "COM"; what it refuses keeps the dialog open and stores
// nothing.
TEST_F(ExpertSetupTest, PortChoicesAndTheNumberBox) {
    struct Case {
        int press;
        const char* typed;  // nullptr: the box as shown
        int comIndexAfter;
        const char* refusal = nullptr;
    } cases[] = {
        {IDC_EXPERT_COM2, nullptr, 1},
        {kComOther, "12", 11},
        {kComOther, "16", 15},  // the highest the box takes
        {IDC_EXPERT_COM1, "99999", 0},
        {IDC_EXPERT_COM1, "", 2, "Please enter a positive integer."},
        // There is no COM0: saved, its index -1 would name no port at the next start.
        {kComOther, "0", 2, "Please enter a positive integer."},
        // "orvane.cfg" and the serial link know no port above COM16.
        {kComOther, "17", 2, "There is no COM port above COM16."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed != nullptr ? c.typed : "as shown");
        unit.family = unit.unitType = unit.expertMode = 0;
        unit.comIndex = 2;
        ui::ScriptRule& rule = ui.OnDialog(kExpert);
        rule.Press(c.press);
        if (c.typed != nullptr)
            rule.Type(kNumber, c.typed);
        rule.Press(IDC_EXPERT_UNIT_FIRST + 6).Press(IDC_EXPERT_ON).Press(ui::IDOK);
        if (c.refusal != nullptr) {
            ui.OnMessageBox(c.refusal, kExpert).Press(ui::IDOK);
            ui.At(ui.Clock().MonotonicMs() + 1000).Press(ui::IDCANCEL);
        }
        EXPECT_EQ(RunExpertSetup(), c.refusal != nullptr ? ui::IDCANCEL : ui::IDOK);
        if (c.refusal != nullptr) {
            EXPECT_EQ(Unit(), std::tuple(0, 0, 2, 0));
            EXPECT_TRUE(ui.Log().Contains("[OK exclamation]"));
        } else {
            EXPECT_EQ(Unit(), std::tuple(15, 15, c.comIndexAfter, 1));
        }
    }
    EXPECT_FALSE(std::filesystem::exists("orvane.cfg"));
}

TEST_F(ExpertSetupTest, CancelStoresNothingButExpertModeStillDropsTheChosenFiles) {
    unit.codeChosen = unit.dataChosen = 1;
    ui.OnDialog(kExpert).Press(IDC_EXPERT_ON).Press(IDC_EXPERT_UNIT_FIRST + 3).Press(ui::IDCANCEL);
    EXPECT_EQ(RunExpertSetup(), ui::IDCANCEL);
    EXPECT_EQ(Unit(), std::tuple(0, 0, 0, 0));
    EXPECT_EQ(std::tuple(unit.codeChosen, unit.dataChosen), std::tuple(1, 1));

    unit.expertMode = 1;
    ui.OnDialog(kExpert).Close();
    RunExpertSetup();
    EXPECT_EQ(std::tuple(unit.codeChosen, unit.dataChosen), std::tuple(0, 0));
}

TEST_F(ExpertSetupTest, SaveStoresWritesOrvaneCfgAndClosesEvenWhenTheFileCannotBeWritten) {
    unit.baud = 9600;
    ui.OnDialog(kExpert)
        .Press(IDC_EXPERT_UNIT_FIRST + 1)
        .Press(IDC_EXPERT_COM2)
        .Press(IDC_EXPERT_SAVE);
    EXPECT_EQ(RunExpertSetup(), ui::IDOK);
    EXPECT_EQ(TempWorkDir::Read("orvane.cfg"), " 5  1     9600\n");

    std::filesystem::remove("orvane.cfg");
    std::filesystem::create_directory("orvane.cfg");
    ui.OnDialog(kExpert).Press(IDC_EXPERT_UNIT_FIRST + 6).Press(IDC_EXPERT_SAVE);
    ui.OnMessageBox("COULD NOT WRITE\nCONFIGURATION INFO", "ERROR").Press(ui::IDOK);
    EXPECT_EQ(RunExpertSetup(), ui::IDOK);
    EXPECT_EQ(unit.family, 15);
}

TEST_F(ExpertSetupTest, BaudRateClicksTakeEffectAtOnceAndCancelPutsTheSpeedBack) {
    struct Case {
        int baudBefore;
        int press;
        int finish;
        int baudAfter;
        int chosenByUser;
    } cases[] = {
        {4800, IDC_BAUD_FIRST + 4, ui::IDCANCEL, 4800, 0},
        {4800, IDC_BAUD_FIRST + 9, ui::IDOK, 0, 1},
        {0, IDC_BAUD_FIRST + 8, ui::IDOK, 921600, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.baudBefore);
        unit.baud = c.baudBefore;
        app.baudChosenByUser = 0;
        ui.Log().Clear();
        int during = -1;
        ui.OnDialog(kBaud).Press(c.press).Run([&] { during = unit.baud; }).Press(c.finish);
        CBaudRateDlg dialog(app);
        EXPECT_EQ(dialog.DoModal(), c.finish);
        EXPECT_NE(during, c.baudBefore);
        EXPECT_EQ(unit.baud, c.baudAfter);
        EXPECT_EQ(app.baudChosenByUser, c.chosenByUser);
    }
}

}  // namespace
