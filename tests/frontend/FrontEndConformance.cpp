// What every desktop front end keeps, written once against FrontEndDriver and run on the
// real windows of each, in real time: the desktop of Linux (tests/desktop) and of Windows
// under Wine (tests/frontend).
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "res/BaudRateTemplate.h"
#include "res/ConnectDlgTemplate.h"
#include "res/DatabaseTypeDlgTemplate.h"
#include "res/ExpertSetupTemplate.h"
#include "res/FirmwareWarningTemplate.h"
#include "res/HelpTemplates.h"
#include "res/ProtocolDlgTemplate.h"
#include "res/Resource.h"
#include "res/UploadConfirmTemplate.h"
#include "res/UploadFileTemplate.h"
#include "res/UploadProgressTemplates.h"
#include "res/UploadTypeTemplates.h"
#include "tests/frontend/FrontEndDriver.h"
#include "tests/frontend/TestWindows.h"
#include "ui/Application.h"
#include "ui/FileOpenDialog.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBox.h"
#include "ui/Runtime.h"

namespace {

using Steady = std::chrono::steady_clock;

using namespace frontendtest;

class FrontEndConformance : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!user.Ready())
            GTEST_SKIP() << "the front end cannot run here (no display)";
        ui::Runtime::Get().Reset();
    }
    void TearDown() override { ui::Runtime::Get().Reset(); }

    FrontEndDriver& user = Driver();
};

}  // namespace

// Enter and Escape on the program's own dialogs: its run on each desktop (tests/desktop).
TEST_F(FrontEndConformance, ButtonsReachTheDialogAndTheLastEndDialogWins) {
    // One a tick: a radio button, then a push button whose handler ends the dialog twice.
    const std::vector<std::function<bool(TestDialog&)>> steps = {
        [&](TestDialog&) { return user.PressButton("Buttons", "B"); },
        [&](TestDialog& d) {
            return d.IsChecked(kRadioB) && !d.IsChecked(kRadioA) &&
                   user.ShownText(d, kRadioB) == "(x)" && user.PressButton("Buttons", "Act");
        },
    };
    TestDialog dialog("Buttons");
    std::size_t step = 0;
    dialog.onInit = [](TestDialog& d) {
        d.CheckRadioButton(kRadioA, kRadioB, kRadioA);
        d.SetTimer(1, 200);
    };
    int misses = 0;
    // A window the system has not shown yet (a new prefix is slow) is looked for again on
    // the next tick; after five seconds the step fails and the dialog is ended.
    dialog.onTimer = [&](TestDialog& d, int) {
        if (step >= steps.size())
            return;
        if (steps[step](d)) {
            ++step;
            misses = 0;
        } else if (++misses >= 25) {
            ADD_FAILURE() << "step " << step + 1;
            step = steps.size();
            d.EndDialog(-2);
        }
    };
    dialog.onCommand = [](TestDialog& d, int id) {
        if (id == kAction) {
            d.EndDialog(ui::IDOK);
            d.EndDialog(9);
        }
    };
    EXPECT_EQ(dialog.DoModal(), 9);
}

TEST_F(FrontEndConformance, AMessageBoxOverARunningDialogKeepsItsTimersAndTakesItsAnswer) {
    struct Case {
        std::string caption;
        unsigned flags;
        std::string button;  // none: Enter
        int expected;
    };
    // The program's own boxes are pictured by its run on each desktop (tests/desktop).
    const std::vector<Case> cases = {
        {"WARNING", ui::MB_YESNO | ui::MB_ICONEXCLAMATION, "No", ui::IDNO},
        {"Confirm", ui::MB_YESNO | ui::MB_ICONQUESTION, "", ui::IDYES},
        {"STATUS", ui::MB_OKCANCEL | ui::MB_ICONINFORMATION, "Cancel", ui::IDCANCEL},
        {"ERROR", ui::MB_OK | ui::MB_ICONSTOP, "OK", ui::IDOK},
    };
    for (const Case& c : cases) {
        TestDialog dialog("Uploading");
        int ticks = 0;
        int ticksWhileBoxOpen = 0;
        int ticksAtBoxOpen = 0;
        int shownWhileBoxOpen = -1;
        unsigned icon = 0;
        bool boxOpen = false;
        int answer = 0;
        dialog.onInit = [](TestDialog& d) {
            d.SetProgressRange(kProgress, 0, 1000);
            d.SetTimer(1, 40);   // the upload
            d.SetTimer(2, 300);  // something to ask
        };
        dialog.onTimer = [&](TestDialog& d, int id) {
            if (id == 2) {
                d.KillTimer(2);
                boxOpen = true;
                ticksAtBoxOpen = ticks;
                answer = ui::MessageBox(&d, "Cancel the upload?", c.caption, c.flags);
                boxOpen = false;
                return;
            }
            d.SetProgressPos(kProgress, ++ticks);
            if (boxOpen && ++ticksWhileBoxOpen == 12) {
                // What the dialog below shows now, drawn while the box waits.
                shownWhileBoxOpen = std::stoi(user.ShownText(d, kProgress));
                icon = user.BoxIcon(c.caption);
                EXPECT_TRUE(c.button.empty() ? user.PressEnter(c.caption)
                                             : user.PressButton(c.caption, c.button))
                    << c.caption;
            }
            if (answer != 0)
                d.EndDialog(ui::IDOK);
        };
        Steady::time_point start = Steady::now();
        EXPECT_EQ(dialog.DoModal(), ui::IDOK) << c.caption;
        EXPECT_LT(MsSince(start), 20000) << c.caption;
        EXPECT_EQ(answer, c.expected) << c.caption;
        EXPECT_EQ(icon, c.flags & ui::MB_ICON_MASK) << c.caption;
        EXPECT_GE(shownWhileBoxOpen, ticksAtBoxOpen + 10) << c.caption;
        EXPECT_EQ(user.LoopDepth(), 0u);
    }
}

TEST_F(FrontEndConformance, APostedQuitEndsEveryLoopFromTheInnermostOut) {
    TestDialog outer("Outer");
    int innerResult = -1;
    int boxAnswer = -1;
    int outerTicksUnderBox = 0;
    std::size_t depthUnderBox = 0;
    bool boxOpen = false;
    outer.onInit = [](TestDialog& d) {
        d.SetTimer(1, 20);
        d.SetTimer(2, 60);
    };
    outer.onTimer = [&](TestDialog& d, int id) {
        if (id == 1) {
            d.KillTimer(1);
            TestDialog inner("Inner");
            inner.onInit = [](TestDialog& i) { i.SetTimer(3, 20); };
            inner.onTimer = [&](TestDialog& i, int) {
                i.KillTimer(3);
                boxOpen = true;
                boxAnswer =
                    ui::MessageBox(&i, "Really?", "Confirm", ui::MB_YESNO | ui::MB_ICONQUESTION);
                boxOpen = false;
            };
            innerResult = inner.DoModal();
            return;
        }
        // The outer dialog's timer keeps going under the nested dialog and its box.
        if (boxOpen && ++outerTicksUnderBox == 3) {
            depthUnderBox = user.LoopDepth();
            ui::PostQuitMessage(7);
        }
    };

    Steady::time_point start = Steady::now();
    EXPECT_EQ(outer.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(innerResult, ui::IDCANCEL);
    EXPECT_EQ(boxAnswer, ui::IDNO);
    EXPECT_EQ(depthUnderBox, 3u);  // outer dialog, inner dialog, box
    EXPECT_EQ(user.LoopDepth(), 0u);

    // After the quit, whatever opens answers Cancel at once, and the main loop ends.
    TestDialog late("Late");
    EXPECT_EQ(late.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(ui::MessageBox(nullptr, "Late box", "STATUS", ui::MB_OKCANCEL), ui::IDCANCEL);
    ui::Application app;
    EXPECT_EQ(app.Run(), 7);
    EXPECT_LT(MsSince(start), 15000);  // generous: the ASan build on a loaded machine
}

TEST_F(FrontEndConformance, AFileIsChosenByItsPathWhileTheDialogBelowTicks) {
    std::filesystem::path folder = std::filesystem::current_path() / "file-dialog";
    std::filesystem::create_directories(folder);
    std::string typed = (folder / "firmware").string();
    ASSERT_TRUE(std::ofstream(typed + ".bin") << "code");
    const std::filesystem::path workingFolder = std::filesystem::current_path();

    TestDialog below("Below");
    std::optional<std::string> chosen;
    int ticksUnderFileDialog = 0;
    bool fileDialogOpen = false;
    below.onInit = [](TestDialog& d) {
        d.SetTimer(1, 50);
        d.SetTimer(2, 100);
    };
    below.onTimer = [&](TestDialog& d, int id) {
        if (id == 1) {
            d.KillTimer(1);
            fileDialogOpen = true;
            chosen = ui::FileOpenDialog(
                {&d, "Select Code File", "bin",
                 "Binary Files (*.bin;*.img)|*.bin;*.img|All Files (*.*)|*.*||", ""});
            fileDialogOpen = false;
            d.EndDialog(ui::IDOK);
            return;
        }
        if (fileDialogOpen && ++ticksUnderFileDialog == 8) {
            EXPECT_TRUE(user.ChooseFile("Select Code File", typed));
        }
    };
    EXPECT_EQ(below.DoModal(), ui::IDOK);
    EXPECT_GE(ticksUnderFileDialog, 8);
    EXPECT_EQ(chosen, typed + ".bin");  // the default extension applies
    EXPECT_EQ(std::filesystem::current_path(), workingFolder);
}

TEST_F(FrontEndConformance, TheMainWindowShowsItsStatusAtOnceAndRunsItsEnabledCommands) {
    static const ui::MenuTemplate menu{
        IDR_MAINFRAME,
        "Tarnwick Firmware Uploader",
        {
            {"&File", 0, {{"Select Code File...", ID_FILE_SELECT_CODE}, {"E&xit", ID_APP_EXIT}}},
            {"&Upload", ID_UPLOAD},
            {"&View", 0, {{"&Status Bar", ID_VIEW_STATUS_BAR}}},
        },
    };
    struct Frame : ui::FrameWindow {
        std::function<void(int)> onTimer;
        bool uploadEnabled = false;
        std::vector<int> commands;
        void OnCommand(int id) override { commands.push_back(id); }
        bool IsCommandEnabled(int id) override { return id != ID_UPLOAD || uploadEnabled; }
        void OnTimer(int id) override { onTimer(id); }
    };
    ui::Application app;
    Frame frame;
    ASSERT_TRUE(frame.Create(menu));
    app.mainWindow = &frame;
    int step = 0;
    frame.onTimer = [&](int) {
        switch (step++) {
            case 0:
                EXPECT_EQ(user.StatusText(frame, 0), "Ready");
                EXPECT_FALSE(user.CommandEnabled(frame, ID_UPLOAD));
                EXPECT_FALSE(user.ChooseMenuCommand(frame, "Upload"));  // greyed
                frame.uploadEnabled = true;
                break;
            case 1:
                EXPECT_TRUE(user.CommandEnabled(frame, ID_UPLOAD));
                EXPECT_TRUE(user.ChooseMenuCommand(frame, "Upload"));
                break;
            case 2:
                frame.SetPaneText(0, "XR-5 Receiver");  // shown at once
                EXPECT_EQ(user.StatusText(frame, 0), "XR-5 Receiver");
                EXPECT_TRUE(user.ChooseMenuCommand(frame, "Exit"));
                break;
            default:
                break;
        }
    };
    frame.SetTimer(1, 250);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_GE(step, 3);
    EXPECT_EQ(frame.commands, std::vector<int>{ID_UPLOAD});
    frame.Destroy();
}

namespace {

// A template with realistic texts in its boxes and radio groups set: {first, last, checked}.
struct TemplateShot {
    std::string name;
    const ui::DialogTemplate& (*dialogTemplate)();
    std::vector<std::pair<int, std::string>> texts = {};
    std::vector<std::array<int, 3>> radios = {};
};

}  // namespace

TEST_F(FrontEndConformance, EveryTemplateIsDrawnWithEveryControlFittingItsBox) {
    const std::string unit = "Pathwick Color on COM1";
    const std::string path = "C:\\Receivers\\Pathwick Color\\code-3.70.srec";
    const std::vector<TemplateShot> shots = {
        {"connection-scan",
         ConnectDlgTemplate,
         {{IDC_STATUS_TEXT, "COM1 at 4800 baud"}, {IDC_PROMPT_TEXT, "Turn the receiver on"}}},
        {"database-type",
         DatabaseTypeDlgTemplate,
         {{IDC_STATUS_TEXT, unit}, {IDC_ELAPSED_TEXT, "3 sec"}}},
        {"protocol", ProtocolDlgTemplate, {{IDC_STATUS_TEXT, unit}, {IDC_ELAPSED_TEXT, "7 sec"}}},
        {"firmware-warning",
         FirmwareWarningTemplate,
         {{IDC_WARNING_UPPER, "code.srec does not appear to contain code for Pathwick Color."},
          {IDC_WARNING_LOWER, "THIS COULD RENDER THE UNIT INOPERABLE!"}}},
        {"expert-setup",
         ExpertSetupTemplate,
         {{IDC_EXPERT_COM_NUMBER, "12"}},
         {{IDC_EXPERT_UNIT_FIRST, IDC_EXPERT_UNIT_FIRST + 12, IDC_EXPERT_UNIT_FIRST + 9},
          {IDC_EXPERT_COM1, IDC_EXPERT_COM_OTHER, IDC_EXPERT_COM_OTHER},
          {IDC_EXPERT_OFF, IDC_EXPERT_ON, IDC_EXPERT_ON}}},
        {"baud-rate",
         BaudRateTemplate,
         {},
         {{IDC_BAUD_FIRST, IDC_BAUD_FIRST + 9, IDC_BAUD_FIRST + 5}}},
        {"upload-confirm", UploadConfirmTemplate, {{IDC_VERSION_TEXT, "Code version 3.70"}}},
        {"upload-file", UploadFileTemplate, {{IDC_UPLOAD_FILE_NAME, path}}},
        {"upload-status",
         UploadStatusTemplate,
         {{IDC_CURRENT_FILE, path},
          {IDC_UPLOAD_STATUS, "SENDING DATA"},
          {IDC_PERCENT_TEXT, "42%"}}},
        {"database-upload", DatabaseUploadTemplate, {{IDC_PROMPT_TEXT, path}}},
        {"poi-upload-type", PoiUploadTypeTemplate},
        {"database-upload-type", DatabaseUploadTypeTemplate},
        {"map-upload-type3", MapUploadType3Template},
        {"map-upload-type4", MapUploadType4Template},
        {"about", AboutTemplate},
        {"file-help", FileHelpTemplate},
        {"expert-help", ExpertHelpTemplate},
        {"upload-help", UploadHelpTemplate},
    };
    for (const TemplateShot& shot : shots) {
        const ui::DialogTemplate& dialogTemplate = shot.dialogTemplate();
        TestDialog dialog(dialogTemplate);
        int colours = 0;
        std::vector<int> cut;
        dialog.onInit = [&](TestDialog& d) {
            for (const auto& [id, text] : shot.texts)
                d.SetControlText(id, text);
            for (const auto& [first, last, checked] : shot.radios)
                d.CheckRadioButton(first, last, checked);
            d.SetProgressPos(IDC_PROGRESS, 42);
            d.SetTimer(1, 300);
        };
        dialog.onTimer = [&](TestDialog& d, int) {
            d.KillTimer(1);
            colours = user.Screenshot(dialogTemplate.caption, shot.name);
            cut = user.ControlsCutShort(d);
            d.EndDialog(ui::IDOK);
        };
        EXPECT_EQ(dialog.DoModal(), ui::IDOK) << shot.name;
        EXPECT_GT(colours, 20) << shot.name;
        EXPECT_EQ(cut, std::vector<int>{}) << shot.name;
    }
}
