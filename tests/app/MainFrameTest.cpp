// The main window: Upload's enabling, the file pickers and the help boxes.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "app/CGpsUnit.h"
#include "app/CMainFrame.h"
#include "app/CUploaderApp.h"
#include "res/Resource.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempWorkDir.h"

namespace {

class MainFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        theUnit.ResetForStart();
        theApp.manualMode = 1;
        ASSERT_TRUE(theApp.InitInstance());
        frame = theApp.MainFrame();
        ASSERT_NE(frame, nullptr);
    }
    void TearDown() override {
        frame->Destroy();
        theApp.manualMode = 1;
        theUnit.ResetForStart();
    }

    TempWorkDir dir;
    ScriptedUi ui;
    CMainFrame* frame = nullptr;
};

TEST_F(MainFrameTest, UploadIsEnabledOnlyInManualOrExpertMode) {
    EXPECT_TRUE(frame->IsCommandEnabled(ID_UPLOAD));
    theApp.manualMode = 0;
    EXPECT_FALSE(frame->IsCommandEnabled(ID_UPLOAD));
    EXPECT_FALSE(frame->RunCommand(ID_UPLOAD));
    theUnit.expertMode = 1;
    EXPECT_TRUE(frame->IsCommandEnabled(ID_UPLOAD));
}

TEST_F(MainFrameTest, FilePickersSetTheChoiceCutLongPathsAndIgnoreCancel) {
    std::string longPath = "/" + std::string(300, 'd') + ".img";
    ui.OnFileOpen().Choose("/images/code.hex");
    ui.OnFileOpen().CancelFile();
    ui.OnFileOpen().Choose(longPath);
    ui.OnFileOpen().Choose("/images/points");

    frame->RunCommand(ID_FILE_SELECT_CODE);
    EXPECT_EQ(theUnit.codePath, "/images/code.hex");
    EXPECT_EQ(theUnit.codeChosen, 1);
    frame->RunCommand(ID_FILE_SELECT_CODE);
    EXPECT_EQ(theUnit.codePath, "/images/code.hex");

    frame->RunCommand(ID_FILE_SELECT_DATABASE);
    EXPECT_EQ(theUnit.dataPath, longPath.substr(0, 255));
    EXPECT_EQ(theUnit.dataChosen, 1);
    // A name without extension gets the default one.
    frame->RunCommand(ID_FILE_SELECT_DATABASE);
    EXPECT_EQ(theUnit.dataPath, "/images/points.bin");
}

TEST_F(MainFrameTest, HelpCommandsOpenTheirDialogsAndOkIsTheDefaultButton) {
    const std::pair<int, const char*> cases[] = {{ID_APP_ABOUT, "About orvane"},
                                                 {ID_EXPERT, "Expert Setup"},
                                                 {ID_HELP_FILE, "File Help"},
                                                 {ID_HELP_EXPERT, "Expert Help"},
                                                 {ID_HELP_UPLOAD, "Upload Help"}};
    for (const auto& [command, caption] : cases) {
        ui.Log().Clear();
        ui.OnDialog(caption).Escape();
        EXPECT_TRUE(frame->RunCommand(command)) << caption;
        EXPECT_TRUE(ui.Log().Contains(std::string("dialog \"") + caption + "\" closed Cancel"))
            << ui.Log().Dump();
    }
    ui.OnDialog("File Help").Enter();
    frame->RunCommand(ID_HELP_FILE);
    EXPECT_TRUE(ui.Log().Contains("dialog \"File Help\" closed OK"));
}

}  // namespace
