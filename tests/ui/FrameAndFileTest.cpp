// The main window's commands and status bar, and the file-open dialog.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/ScriptedUi.h"
#include "ui/Application.h"
#include "ui/FileOpenDialog.h"
#include "ui/FrameWindow.h"
#include "ui/Runtime.h"

namespace {

const ui::MenuTemplate kMenu{1, "Test", {{"&File", 0, {{"E&xit", 57665}}}, {"&Go", 500}}};

class TestFrame : public ui::FrameWindow {
  public:
    bool goEnabled = false;
    int ran = 0;
    bool IsCommandEnabled(int id) override { return id != 500 || goEnabled; }
    void OnCommand(int id) override {
        if (id == 500)
            ++ran;
    }
};

}  // namespace

TEST(FrameWindow, CommandsFollowTheirUpdateHandlerAndStatusTextShowsAtOnce) {
    ScriptedUi ui;
    ui::Application app;
    ui::Application* previous = ui::Runtime::Get().App();
    ui::Runtime::Get().SetApp(&app);
    TestFrame frame;
    ASSERT_TRUE(frame.Create(kMenu));
    app.mainWindow = &frame;

    EXPECT_FALSE(frame.RunCommand(500));
    frame.goEnabled = true;
    EXPECT_TRUE(frame.RunCommand(500));
    EXPECT_EQ(frame.ran, 1);

    frame.SetPaneText(0, "Pathwick");
    EXPECT_EQ(ui.Log().StatusTexts(0), (std::vector<std::string>{"Ready", "Pathwick"}));

    ui.At(100).Command(57665);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_TRUE(ui::Runtime::Get().QuitPosted());
    frame.Destroy();
    EXPECT_EQ(app.mainWindow, nullptr);
    ui::Runtime::Get().SetApp(previous);
}

TEST(FileOpen, AnswersAFullPathWithTheDefaultExtensionOrNothing) {
    ScriptedUi ui;
    ui.OnFileOpen("Select Code File").Choose("images/code");
    ui.OnFileOpen("Select Code File").Choose("/abs/map.img");
    ui.OnFileOpen().CancelFile();
    ui::FileOpenRequest request{nullptr, "Select Code File", "hex", "All Files (*.*)|*.*||", ""};

    auto first = ui::FileOpenDialog(request);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(*first, (std::filesystem::current_path() / "images" / "code.hex").string());
    EXPECT_EQ(ui::FileOpenDialog(request), std::filesystem::absolute("/abs/map.img").string());
    EXPECT_EQ(ui::FileOpenDialog(request), std::nullopt);
}
