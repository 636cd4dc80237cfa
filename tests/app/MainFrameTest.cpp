// The main window: its menu, the file pickers and the help boxes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/CGpsUnit.h"
#include "app/CMainFrame.h"
#include "app/CUploaderApp.h"
#include "drivers/FilePicker.h"
#include "res/Resource.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempWorkDir.h"

using Strings = std::vector<std::string>;

namespace {

class MainFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        ASSERT_NE(frame, nullptr);
    }
    void TearDown() override { frame->Destroy(); }

    // Each item as "text id enabled prompt", popups with their items indented.
    Strings MenuListing() {
        Strings lines;
        for (const ui::MenuItem& item : frame->Menu()->bar) {
            lines.push_back(Describe(item, ""));
            for (const ui::MenuItem& sub : item.items)
                lines.push_back(Describe(sub, "  "));
        }
        return lines;
    }
    std::string Describe(const ui::MenuItem& item, const std::string& indent) {
        std::string line = indent + item.text;
        if (item.id != 0)
            line +=
                " " + std::to_string(item.id) + (frame->IsCommandEnabled(item.id) ? "" : " grey");
        if (!item.prompt.empty())
            line += " \"" + item.prompt + "\"";
        return line;
    }

    void ExpectRefused(const std::string& rest) {
        ui.OnMessageBox("The file\n" + rest, "ERROR").Press(ui::IDOK);
    }

    TempWorkDir dir;
    ScriptedUi ui;
    CGpsUnit unit;
    CUploaderApp app{unit};
    CMainFrame* frame = nullptr;
};

TEST_F(MainFrameTest, MenuItemsInOrderWithTheirIdsPromptsAndUploadEnabledOnlyInManualOrExpertMode) {
    EXPECT_EQ(frame->Menu()->resourceId, 128);
    EXPECT_EQ(frame->Menu()->title, "Tarnwick Firmware Uploader");
    EXPECT_EQ(frame->PaneText(0), "Ready");
    Strings manual{
        "&File",
        "  Select Code File... 32774 \"Choose file containing binary program code\"",
        "  Select Database File... 32775 \"Choose file containing binary database data\"",
        "  E&xit 57665",
        "&Upload 32788",
        "&Expert 32784",
        "&View",
        "  &Status Bar 59393",
        "&Help",
        "  &About orvane... 57664",
        "  About FILE... 32790",
        "  About UPLOAD... 32794",
        "  About EXPERT... 32792",
    };
    EXPECT_EQ(MenuListing(), manual);

    Strings automatic = manual;
    automatic[4] = "&Upload 32788 grey";
    app.manualMode = 0;
    EXPECT_EQ(MenuListing(), automatic);
    EXPECT_FALSE(frame->RunCommand(ID_UPLOAD));
    unit.expertMode = 1;
    EXPECT_EQ(MenuListing(), manual);
}

// A path the program cannot use as it is (too long to keep, with a NUL the file system
// would cut it at, or no file there) is refused, never cut, and the choice stays as it
// was: in the File menu and in the drivers' pickers alike.
TEST_F(MainFrameTest, FilePickersSetTheChoiceRefuseWhatCannotBeUsedAndIgnoreCancel) {
    const std::string path256 = "/" + std::string(251, 'd') + ".img";
    const std::string withNul("/images/a\0b.hex", 15);
    TempWorkDir::Write("code.hex", "S0");
    TempWorkDir::Write("points.bin", "P");
    ui.OnFileOpen().Choose("code.hex");
    ui.OnFileOpen().CancelFile();
    ui.OnFileOpen().Choose(path256);
    ui.OnFileOpen().Choose(withNul);
    ui.OnFileOpen().Choose("gone.hex");
    ui.OnFileOpen().Choose("points");
    ui.OnFileOpen().Choose(path256);
    // The full path as the platform writes it (on Windows with its drive).
    auto full = [](const std::string& path) { return std::filesystem::absolute(path).string(); };
    ExpectRefused(full(path256) + "\nwas not used: its name is longer than 255 characters.");
    ExpectRefused("/images/a\\0b.hex\nwas not used: its name holds a NUL character.");
    ExpectRefused(full("gone.hex") + "\nwas not used: it does not exist.");
    ExpectRefused(full(path256) + "\nwas not used: its name is longer than 255 characters.");

    frame->RunCommand(ID_FILE_SELECT_CODE);
    EXPECT_EQ(unit.codePath, full("code.hex"));
    EXPECT_EQ(unit.codeChosen, 1);
    for (int refused = 0; refused < 4; ++refused)
        frame->RunCommand(ID_FILE_SELECT_CODE);
    EXPECT_EQ(unit.codePath, full("code.hex"));

    // A name without extension gets the default one.
    frame->RunCommand(ID_FILE_SELECT_DATABASE);
    EXPECT_EQ(unit.dataPath, full("points.bin"));
    EXPECT_EQ(unit.dataChosen, 1);
    EXPECT_EQ(kMapPicker.Ask(app.mainWindow), std::nullopt);
    EXPECT_EQ(ui.Log().MessageBoxes().size(), 4u);
    // Title (the system's own), extension, filter and proposed name of each choice.
    const std::vector<std::string> requests = ui.FileRequests();
    ASSERT_EQ(requests.size(), 7u);
    EXPECT_EQ(requests[0],
              "|bin|hex Files (*.hex)|*.hex|S-record Files (*.srec)|*.srec|Binary Files "
              "(*.bin;*.img)|*.bin;*.img|All Files (*.*)|*.*|||");
    EXPECT_EQ(requests[5], "|bin|Binary Files (*.bin;*.img)|*.bin;*.img|All Files (*.*)|*.*|||");
}

}  // namespace
