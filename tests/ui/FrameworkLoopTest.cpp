// Modal loops, timers and quitting, all in virtual time.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/support/ScriptedUi.h"
#include "tests/ui/TestDialogs.h"
#include "ui/Application.h"
#include "ui/MessageBox.h"
#include "ui/Runtime.h"

using testdialogs::TestDialog;

namespace {
// A script whose failures the test reads instead of failing. The report outlives the
// backend, whose destructor may still report.
struct FailureReport {
    std::string failure;
};
struct FailingScript : FailureReport, ui::ScriptedBackend {
    FailingScript() {
        SetFailureHandler([this](const std::string& report) { failure = report; });
    }
};
}  // namespace

TEST(FrameworkLoop, TwoTimersKeepTickingUnderANestedMessageBox) {
    ScriptedUi ui;
    ui.OnMessageBox("Pause?", "STATUS").After(2500).Press(ui::IDOK);

    TestDialog dialog("Ticker");
    int slowTicks = 0;
    int fastTicks = 0;
    int fastTicksWhileBoxOpen = 0;
    bool boxOpen = false;
    int boxAnswer = 0;
    dialog.onInit = [](TestDialog& d) {
        d.SetTimer(10, 1000);
        d.SetTimer(11, 300);
    };
    dialog.onTimer = [&](TestDialog& d, int id) {
        if (id == 11) {
            ++fastTicks;
            if (boxOpen)
                ++fastTicksWhileBoxOpen;
            return;
        }
        ++slowTicks;
        d.SetControlText(testdialogs::kEdit, "tick " + std::to_string(slowTicks));
        if (slowTicks == 3) {
            boxOpen = true;
            boxAnswer =
                ui::MessageBox(&d, "Pause?", "STATUS", ui::MB_OKCANCEL | ui::MB_ICONQUESTION);
            boxOpen = false;
        }
        if (slowTicks == 6)
            d.EndDialog(ui::IDOK);
    };

    auto realStart = std::chrono::steady_clock::now();
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    auto realElapsed = std::chrono::steady_clock::now() - realStart;

    EXPECT_EQ(boxAnswer, ui::IDOK);
    // The slow timer does not re-enter its own handler while its box waits; the fast one
    // goes on: from 3.0 s to 5.4 s at 300 ms is nine ticks.
    EXPECT_EQ(fastTicksWhileBoxOpen, 9);
    EXPECT_EQ(slowTicks, 6);
    // Box opened at 3 s, answered at 5.5 s; the slow timer's missed ticks collapse into one
    // at once (5.5 s), then it keeps its period: 6 s and 7 s.
    EXPECT_EQ(ui.Clock().MonotonicMs(), 7000u);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(realElapsed).count(), 2);

    EXPECT_EQ(
        ui.Log().ControlHistory("Ticker", testdialogs::kEdit),
        (std::vector<std::string>{"", "tick 1", "tick 2", "tick 3", "tick 4", "tick 5", "tick 6"}));
}

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
class FinishWhileAsking : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(FinishWhileAsking, LastEndDialogWins) {
    auto [boxAnswer, expected] = GetParam();
    ScriptedUi ui;
    ui.OnDialog("Upload").After(250).Escape();
    ui.OnMessageBox("Stop?").After(1000).Press(boxAnswer);

    TestDialog dialog("Upload");
    int ticksAfterEnd = 0;
    bool ended = false;
    dialog.onInit = [](TestDialog& d) { d.SetTimer(11, 100); };
    dialog.onTimer = [&](TestDialog& d, int) {
        if (ended)
            ++ticksAfterEnd;
        if (ui.Clock().MonotonicMs() >= 600 && !ended) {
            ended = true;
            d.EndDialog(ui::IDOK);
        }
    };
    dialog.onCancel = [](TestDialog& d) {
        if (ui::MessageBox(&d, "Stop?", "WARNING", ui::MB_OKCANCEL | ui::MB_ICONEXCLAMATION) ==
            ui::IDOK) {
            d.EndDialog(ui::IDCANCEL);
        }
    };
    EXPECT_EQ(dialog.DoModal(), expected);
    // A closing dialog gets no more ticks.
    EXPECT_EQ(ticksAfterEnd, 0);
}

INSTANTIATE_TEST_SUITE_P(BoxAnswers, FinishWhileAsking,
                         ::testing::Values(std::make_pair(int{ui::IDOK}, int{ui::IDCANCEL}),
                                           std::make_pair(int{ui::IDCANCEL}, int{ui::IDOK})));

TEST(FrameworkLoop, AnUnansweredBoxFailsTheScriptInsteadOfHanging) {
    FailingScript ui;
    std::string& failure = ui.failure;
    int answer = ui::MessageBox(nullptr, "Anyone?", "STATUS", ui::MB_OKCANCEL);
    EXPECT_EQ(answer, ui::IDCANCEL);
    EXPECT_TRUE(ui.Failed());
    EXPECT_NE(failure.find("nobody answers the message box \"STATUS\": Anyone?"), std::string::npos)
        << failure;
}

TEST(FrameworkLoop, ADialogNothingCanCloseFailsTheScript) {
    FailingScript ui;
    std::string& failure = ui.failure;
    TestDialog dialog("Stuck");
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_NE(failure.find("nothing is left that could close dialog \"Stuck\""), std::string::npos)
        << failure;
}

TEST(FrameworkLoop, ADialogThatTicksForeverHitsTheTimeLimit) {
    FailingScript ui;
    std::string& failure = ui.failure;
    ui.SetTimeLimit(60'000);
    TestDialog dialog("Scanning");
    dialog.onInit = [](TestDialog& d) { d.SetTimer(10, 1000); };
    dialog.onTimer = [](TestDialog&, int) {};
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_NE(failure.find("time limit"), std::string::npos) << failure;
    EXPECT_LE(ui.Clock().MonotonicMs(), 60'000u);
}

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

TEST(FrameworkLoop, RulesThatNeverFiredFailTheScriptWhenItEnds) {
    std::string failure;
    {
        ui::ScriptedBackend ui;
        ui.SetFailureHandler([&](const std::string& report) { failure = report; });
        ui.OnMessageBox("Shown", "STATUS").Press(ui::IDOK);
        ui.OnMessageBox("Never shown", "ERROR").Press(ui::IDOK);
        ui.OnDialog("Never opened").Escape();
        ui.OnControlText("Ticker", 1001, "tick 9").Escape();
        ui.OnFileOpen().CancelFile();
        ui.At(90'000).Escape();
        ui.OnMessageBox("Maybe", "STATUS").Optional().Press(ui::IDOK);
        ui.OnMessageBoxContaining("Again").Repeat().Press(ui::IDOK);
        ui::MessageBox(nullptr, "Shown", "STATUS", ui::MB_OK);
        EXPECT_EQ(ui.UnmetRules(),
                  (std::vector<std::string>{"message box \"Never shown\" \"ERROR\"",
                                            "dialog \"Never opened\"",
                                            "control 1001 of dialog \"Ticker\" showing \"tick 9\"",
                                            "file-open dialog", "time 90000 ms"}));
        EXPECT_EQ(failure, "");
    }
    // The destructor ends the script when the test has not.
    EXPECT_NE(failure.find("rules that never fired"), std::string::npos) << failure;
    EXPECT_NE(failure.find("\n  on dialog \"Never opened\""), std::string::npos) << failure;
}

TEST(FrameworkLoop, ARuleWhoseWindowClosedBeforeItsDelayHasNotFired) {
    FailingScript ui;
    std::string& failure = ui.failure;
    ui.OnDialog("Quick").After(5000).Escape();
    TestDialog dialog("Quick");
    dialog.onInit = [](TestDialog& d) { d.SetTimer(10, 1000); };
    dialog.onTimer = [](TestDialog& d, int) { d.EndDialog(ui::IDOK); };
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    ui.FinishScript();
    EXPECT_NE(failure.find("on dialog \"Quick\""), std::string::npos) << failure;
}
