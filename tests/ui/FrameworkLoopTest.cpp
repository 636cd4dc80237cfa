// Modal loops, timers and quitting, all in virtual time.
#include <gtest/gtest.h>

#include "tests/support/ScriptedUi.h"
#include "tests/ui/TestDialogs.h"
#include "ui/Application.h"
#include "ui/MessageBox.h"
#include "ui/Runtime.h"

using testdialogs::TestDialog;

TEST(FrameworkLoop, ModalLoopsNestAndUnwindInOrder) {
    ScriptedUi ui;
    ui.OnDialog("Inner").After(1500).Press(testdialogs::kAction);

    TestDialog outer("Outer");
    int innerResult = 0;
    outer.onInit = [&](TestDialog& d) {
        TestDialog inner("Inner");
        inner.onCommand = [](TestDialog& i, int id) {
            if (id == testdialogs::kAction)
                i.EndDialog(42);
        };
        innerResult = inner.DoModal();
        d.EndDialog(7);
    };
    EXPECT_EQ(outer.DoModal(), 7);
    EXPECT_EQ(innerResult, 42);

    std::vector<std::string> order;
    for (const auto& e : ui.Log().Entries()) {
        if (e.kind == ui::TranscriptEntry::Kind::DialogOpened)
            order.push_back("open " + e.caption);
        if (e.kind == ui::TranscriptEntry::Kind::DialogClosed)
            order.push_back("close " + e.caption);
    }
    EXPECT_EQ(order,
              (std::vector<std::string>{"open Outer", "open Inner", "close Inner", "close Outer"}));
}

TEST(FrameworkLoop, QuitPostedInANestedLoopEndsEveryLoopAndLaterOnesAtOnce) {
    ScriptedUi ui;
    ui.OnDialog("Inner").After(100).Press(testdialogs::kAction);

    TestDialog outer("Outer");
    int innerResult = 0;
    int laterDialog = 0;
    int laterBox = 0;
    int laterYesNo = 0;
    outer.onInit = [&](TestDialog&) {
        TestDialog inner("Inner");
        inner.onCommand = [](TestDialog& i, int) {
            i.EndDialog(ui::IDOK);  // a quit overrides what the loop was about to return
            ui::PostQuitMessage(3);
        };
        innerResult = inner.DoModal();
        TestDialog later("Later");
        laterDialog = later.DoModal();
        laterBox = ui::MessageBox(nullptr, "Never shown", "ERROR", ui::MB_OKCANCEL);
        laterYesNo = ui::MessageBox(nullptr, "Never shown", "ERROR", ui::MB_YESNO);
    };
    outer.onTimer = [](TestDialog&, int) {};
    EXPECT_EQ(outer.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(innerResult, ui::IDCANCEL);
    EXPECT_EQ(laterDialog, ui::IDCANCEL);
    EXPECT_EQ(laterBox, ui::IDCANCEL);
    EXPECT_EQ(laterYesNo, ui::IDNO);
    EXPECT_FALSE(ui.Log().Contains("Later"));
    EXPECT_FALSE(ui.Log().Contains("Never shown"));
    EXPECT_EQ(ui::Runtime::Get().QuitCode(), 3);
}

// A dialog that finishes its work while a box raised by its Cancel handler waits: the
// handler's own EndDialog, made after the box, decides.

TEST(FrameworkLoop, MainLoopRunsTimedCommandsUntilQuit) {
    ScriptedUi ui;
    ui::Application app;
    ui::Application* previous = ui::Runtime::Get().App();
    ui::Runtime::Get().SetApp(&app);
    ui.At(5000).Run([] { ui::PostQuitMessage(9); });
    EXPECT_EQ(app.Run(), 9);
    EXPECT_EQ(ui.Clock().MonotonicMs(), 5000u);
    ui::Runtime::Get().SetApp(previous);
}
