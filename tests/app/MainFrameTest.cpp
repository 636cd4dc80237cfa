// The main window's file pickers.
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

namespace {

class MainFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        ASSERT_NE(frame, nullptr);
    }
    void TearDown() override { frame->Destroy(); }

    void ExpectRefused(const std::string& rest) {
        ui.OnMessageBox("The file\n" + rest, "ERROR").Press(ui::IDOK);
    }

    TempWorkDir dir;
    ScriptedUi ui;
    CGpsUnit unit;
    CUploaderApp app{unit};
    CMainFrame* frame = nullptr;
};

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
