// The main window, its menu and status bar, and dialogs drawn from the program's
// templates, with screenshots kept as test artefacts.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
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
#include "tests/desktop/TestWindows.h"
#include "tests/desktop/XSession.h"
#include "ui/Application.h"
#include "ui/FileOpenDialog.h"
#include "ui/MessageBox.h"

using desktoptest::TestDialog;
using desktoptest::TestFrame;

namespace {

const ui::MenuTemplate& TestMenu() {
    static const ui::MenuTemplate menu{
        IDR_MAINFRAME,
        "Tarnwick Firmware Uploader",
        {
            {"&File",
             0,
             {
                 {"Select Code File...",
                  ID_FILE_SELECT_CODE,
                  {},
                  "Choose file containing binary program code"},
                 {"E&xit", ID_APP_EXIT},
             }},
            {"&Upload", ID_UPLOAD},
            {"&Expert", ID_EXPERT},
            {"&View", 0, {{"&Status Bar", ID_VIEW_STATUS_BAR}}},
        },
    };
    return menu;
}

}  // namespace

TEST_F(DesktopTest, TheMainWindowRunsItsMenuByKeyboardAndShowsPrompts) {
    ui::Application app;
    TestFrame frame;
    bool uploadEnabled = false;
    frame.isEnabled = [&](int id) { return id != ID_UPLOAD || uploadEnabled; };
    ASSERT_TRUE(frame.Create(TestMenu()));
    app.mainWindow = &frame;

    const std::string title = "Tarnwick Firmware Uploader";
    int step = 0;
    std::string promptShown;
    std::string restoredText;
    std::string screenshot;
    frame.onTimer = [&](TestFrame& f, int) {
        switch (step++) {
            case 0:
                EXPECT_EQ(Desktop().ShownStatusText(f, 0), "Ready");
                EXPECT_FALSE(Desktop().ShownCommandEnabled(f, ID_UPLOAD));
                EXPECT_EQ(Desktop().BarCommandShortcut(f, ID_UPLOAD), "Ctrl+U");
                EXPECT_TRUE(PressKeys(title, {"ctrl+u"}));  // greyed: nothing happens
                break;
            case 1:
                uploadEnabled = true;
                break;
            case 2:
                EXPECT_TRUE(Desktop().ShownCommandEnabled(f, ID_UPLOAD));
                EXPECT_TRUE(PressKeys(title, {"ctrl+u"}));
                break;
            case 3:
                EXPECT_TRUE(PressKeys(title, {"alt+f"}));  // opens File on its first item
                break;
            case 4:
                promptShown = Desktop().ShownStatusText(f, 0);
                RunTool({"xdotool", "key", "Escape", "Escape", "Escape"});
                break;
            case 5:
                restoredText = Desktop().ShownStatusText(f, 0);
                f.SetPaneText(0, "XR-5 Receiver");  // shown at once
                EXPECT_EQ(Desktop().ShownStatusText(f, 0), "XR-5 Receiver");
                break;
            case 6:
                EXPECT_EQ(WindowTitle(FindWindow(title)), title);
                screenshot = Screenshot(FindWindow(title), "main-window");
                EXPECT_TRUE(PressKeys(title, {"alt+f", "x"}));  // E&xit
                break;
            default:
                break;
        }
    };
    frame.SetTimer(1, 250);

    EXPECT_EQ(app.Run(), 0);
    EXPECT_GE(step, 7);
    EXPECT_EQ(frame.commands, std::vector<int>{ID_UPLOAD});
    EXPECT_EQ(promptShown, "Choose file containing binary program code");
    EXPECT_EQ(restoredText, "Ready");
    EXPECT_GT(DistinctColours(screenshot), 20);
    frame.Destroy();
}

TEST_F(DesktopTest, TheFileDialogTakesATypedPathAndTheDefaultExtensionApplies) {
    std::filesystem::path folder = std::filesystem::current_path() / "file-dialog";
    std::filesystem::create_directories(folder);
    std::string typed = (folder / "firmware").string();
    std::FILE* file = std::fopen(typed.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);

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
            EXPECT_TRUE(PressKeys("Select Code File", {"ctrl+l"}));
            EXPECT_TRUE(TypeText("Select Code File", typed));
            EXPECT_TRUE(PressKeys("Select Code File", {"Return"}));
        }
    };
    EXPECT_EQ(below.DoModal(), ui::IDOK);
    EXPECT_GE(ticksUnderFileDialog, 8);
    EXPECT_EQ(chosen, typed + ".bin");
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

TEST_F(DesktopTest, TemplatesAreDrawnWithEveryControlFittingItsBox) {
    const std::string color = "Pathwick Color on COM1";
    const std::vector<TemplateShot> shots = {
        {"connection-scan",
         ConnectDlgTemplate,
         {{IDC_STATUS_TEXT, "COM1 at 4800 baud"}, {IDC_PROMPT_TEXT, "Turn the receiver on"}}},
        {"database-type",
         DatabaseTypeDlgTemplate,
         {{IDC_STATUS_TEXT, color}, {IDC_ELAPSED_TEXT, "3 sec"}}},
        {"protocol", ProtocolDlgTemplate, {{IDC_STATUS_TEXT, color}, {IDC_ELAPSED_TEXT, "7 sec"}}},
        {"firmware-warning",
         FirmwareWarningTemplate,
         {{IDC_WARNING_UPPER, "The receiver runs firmware version 3.70"},
          {IDC_WARNING_LOWER, "The image holds the older version 2.10"}}},
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
        {"about", AboutTemplate},
        {"file-help", FileHelpTemplate},
        {"expert-help", ExpertHelpTemplate},
        {"upload-help", UploadHelpTemplate},
    };
    for (const TemplateShot& shot : shots) {
        const ui::DialogTemplate& dialogTemplate = shot.dialogTemplate();
        TestDialog dialog(dialogTemplate);
        std::string path;
        std::vector<int> cut;
        std::string title;
        dialog.onInit = [&](TestDialog& d) {
            for (const auto& [id, text] : shot.texts)
                d.SetControlText(id, text);
            for (const auto& [first, last, checked] : shot.radios)
                d.CheckRadioButton(first, last, checked);
            d.SetTimer(1, 300);
        };
        dialog.onTimer = [&](TestDialog& d, int) {
            d.KillTimer(1);
            std::string window = FindWindow(dialogTemplate.caption);
            title = WindowTitle(window);
            path = Screenshot(window, shot.name);
            cut = Desktop().ControlsCutShort(d);
            d.EndDialog(ui::IDOK);
        };
        EXPECT_EQ(dialog.DoModal(), ui::IDOK) << shot.name;
        EXPECT_EQ(title, dialogTemplate.caption) << shot.name;
        EXPECT_GT(DistinctColours(path), 20) << shot.name;
        EXPECT_EQ(cut, std::vector<int>{}) << shot.name;
    }
}

TEST_F(DesktopTest, MessageBoxesShowTheIconOfTheirKindAndAnswerKeys) {
    struct Case {
        std::string caption;
        unsigned flags;
        std::vector<std::string> keys;
        int expectedAnswer;
        unsigned expectedIcon;
        std::string screenshot;
    };
    const std::vector<Case> cases = {
        {"ERROR",
         ui::MB_OK | ui::MB_ICONSTOP,
         {"Return"},
         ui::IDOK,
         ui::MB_ICONSTOP,
         "message-box-stop"},
        {"WARNING",
         ui::MB_YESNO | ui::MB_ICONEXCLAMATION,
         {"Escape"},
         ui::IDNO,
         ui::MB_ICONEXCLAMATION,
         "message-box-exclamation"},
        {"Confirm",
         ui::MB_YESNO | ui::MB_ICONQUESTION,
         {"Return"},
         ui::IDYES,
         ui::MB_ICONQUESTION,
         ""},
        {"Question",
         ui::MB_YESNO | ui::MB_ICONQUESTION,
         {"alt+n"},
         ui::IDNO,
         ui::MB_ICONQUESTION,
         ""},
        {"STATUS",
         ui::MB_OKCANCEL | ui::MB_ICONINFORMATION,
         {"Escape"},
         ui::IDCANCEL,
         ui::MB_ICONINFORMATION,
         ""},
        {"Plain", ui::MB_OK, {"Escape"}, ui::IDOK, 0u, ""},
    };
    for (const Case& c : cases) {
        TestDialog below("Below");
        int answer = 0;
        unsigned shownIcon = 99;
        int colours = 0;
        int ticksUnderBox = 0;
        bool boxOpen = false;
        below.onInit = [](TestDialog& d) {
            d.SetTimer(1, 50);
            d.SetTimer(2, 100);
        };
        below.onTimer = [&](TestDialog& d, int id) {
            if (id == 1) {
                d.KillTimer(1);
                boxOpen = true;
                answer = ui::MessageBox(&d, "The receiver did not answer.", c.caption, c.flags);
                boxOpen = false;
                d.EndDialog(ui::IDOK);
                return;
            }
            if (!boxOpen || ++ticksUnderBox != 4)
                return;
            shownIcon = Desktop().ShownBoxIcon();
            std::string window = FindWindow(c.caption);
            EXPECT_FALSE(window.empty()) << c.caption;
            if (!c.screenshot.empty())
                colours = DistinctColours(Screenshot(window, c.screenshot));
            EXPECT_TRUE(PressKeysIn(window, c.keys)) << c.caption;
        };
        EXPECT_EQ(below.DoModal(), ui::IDOK) << c.caption;
        EXPECT_EQ(answer, c.expectedAnswer) << c.caption;
        EXPECT_EQ(shownIcon, c.expectedIcon) << c.caption;
        if (!c.screenshot.empty()) {
            EXPECT_GT(colours, 20) << c.caption;
        }
    }
    EXPECT_EQ(Desktop().ShownBoxIcon(), 0u);  // no box open
}
