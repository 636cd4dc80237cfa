// The terminal front end's line contract, in-process: boxes, dialogs, the file dialog,
// the main window and end of input (Ctrl-C and the exit statuses: tests/program).
#include <gtest/gtest.h>

#include <optional>

#include "tests/support/NamedCase.h"
#include "tests/terminal/TerminalUi.h"
#include "ui/Application.h"
#include "ui/FileOpenDialog.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBox.h"

using terminaltest::LabelledDialog;

namespace {

struct BoxCase : NamedCase {
    unsigned buttons;
    std::string typed;  // empty: the input ends
    int answer;
    std::string shown;  // a line the box printed
};

class MessageBoxAnswer : public ::testing::TestWithParam<BoxCase> {};

}  // namespace

TEST_P(MessageBoxAnswer, IsAButtonsNameInAnyCaseOrTheCancelAtTheEndOfInput) {
    const BoxCase& c = GetParam();
    TerminalUi ui;
    ui.Type(c.typed);
    ui.EndInput();
    int answer = ui::MessageBox(nullptr, "Power on GPS unit\nto upload code.",
                                "CONTINUE AUTO UPLOAD", c.buttons | ui::MB_ICONINFORMATION);
    EXPECT_EQ(answer, c.answer);
    EXPECT_TRUE(
        ui.Printed("== CONTINUE AUTO UPLOAD (information) ==\nPower on GPS unit\n"
                   "to upload code.\n"))
        << ui.Output();
    EXPECT_TRUE(ui.Printed("CONTINUE AUTO UPLOAD> ")) << ui.Output();
    EXPECT_TRUE(ui.Printed(c.shown)) << ui.Output();
    // An answer that the end of input gave ends the program.
    EXPECT_EQ(ui::Runtime::Get().QuitPosted(), c.typed.empty());
    EXPECT_EQ(ui::Runtime::Get().QuitCode(),
              c.typed.empty() ? ui::TerminalBackend::kEndOfInputQuitCode : 0);
}

INSTANTIATE_TEST_SUITE_P(
    TerminalBox, MessageBoxAnswer,
    ::testing::Values(
        BoxCase{"Ok", ui::MB_OK, "ok\n", ui::IDOK, "Buttons: OK\n"},
        BoxCase{"Cancel", ui::MB_OKCANCEL, "CANCEL\n", ui::IDCANCEL, "Buttons: OK, Cancel\n"},
        BoxCase{"YesAfterAWrongAnswer", ui::MB_YESNO, "maybe\nYes\n", ui::IDYES,
                "Answer Yes, No.\n"},
        BoxCase{"OkAfterAButtonNotShown", ui::MB_OKCANCEL, "yes\nOk\n", ui::IDOK,
                "Answer OK, Cancel.\n"},
        BoxCase{"EndOfInputNo", ui::MB_YESNO, "", ui::IDNO, "End of input: No\n"},
        BoxCase{"EndOfInputCancel", ui::MB_OKCANCEL, "", ui::IDCANCEL, "End of input: Cancel\n"},
        BoxCase{"EndOfInputOk", ui::MB_OK, "", ui::IDOK, "End of input: OK\n"}),
    ByName);

TEST(TerminalDialog, ButtonsRadiosAndLabelledBoxesAreChosenByTheirText) {
    TerminalUi ui;
    LabelledDialog dialog;
    int uploadFileClicks = 0;
    dialog.onCommand = [&](LabelledDialog&, int id) {
        uploadFileClicks += id == terminaltest::kUploadFile;
    };
    // A wrong number brings the framework's own box; the dialog stays open.
    ui.Type(
        "receiver name = Pathwick Topo\nCOM=x\nsave\nok\nCOM=7\ncom 2\nlater\n"
        "upload file\nwhat\nSAVE\n");
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);

    EXPECT_EQ(dialog.text, "Pathwick Topo");
    EXPECT_EQ(dialog.number, 7u);
    EXPECT_EQ(dialog.choice, 1);
    EXPECT_EQ(uploadFileClicks, 1);
    std::string out = ui.Output();
    EXPECT_NE(
        out.find("== Expert Setup ==\n  Receiver name:\n  Receiver name = \n  COM\n  COM = 0\n"
                 "  ( ) Pathwick\n  ( ) COM 2\n  Progress: 0%\n"
                 "Buttons: Save, Upload File, Later (greyed), Cancel\nExpert Setup> "),
        std::string::npos)
        << out;
    EXPECT_NE(out.find("Please enter a positive integer."), std::string::npos) << out;
    EXPECT_NE(out.find("  (x) COM 2\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Later is greyed out.\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Unknown answer \"what\": type a button's name, or a box's label, \"=\" "
                       "and its value.\nChoices: Receiver name=<value>, COM=<value>, Pathwick, "
                       "COM 2, Save, Upload File, Cancel\n"),
              std::string::npos)
        << out;
}

// At its prompt, a dialog is cancelled at the end of input and the program ends at once,
// even when its Cancel asks first (an upload's "stop?"). Running dialogs (the scan, an
// upload) meet the end of input in tests/program.
TEST(TerminalDialog, EndOfInputCancelsItAndEndsTheProgramAtOnce) {
    TerminalUi ui;
    ui.EndInput();
    LabelledDialog dialog;
    dialog.onCancel = [](LabelledDialog& d) {
        if (ui::MessageBox(&d, "Stop?", "WARNING", ui::MB_OKCANCEL) == ui::IDOK)
            d.EndDialog(ui::IDCANCEL);
    };
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(ui::Runtime::Get().QuitCode(), ui::TerminalBackend::kEndOfInputQuitCode);
    EXPECT_TRUE(ui.Printed("Expert Setup> End of input: Cancel\n")) << ui.Output();
    EXPECT_FALSE(ui.Printed("WARNING")) << ui.Output();
}

TEST(TerminalDialog, RunningOnItsOwnItPrintsEachChangeOnceAndTakesItsButtonsAtOnce) {
    TerminalUi ui;
    LabelledDialog dialog;
    int ticks = 0;
    dialog.onInit = [](LabelledDialog& d) {
        d.SetProgressRange(terminaltest::kProgress, 0, 400);
        d.SetTimer(11, 2);
    };
    dialog.onTimer = [&](LabelledDialog& d, int) {
        ++ticks;
        d.SetProgressPos(terminaltest::kProgress, ticks);  // a quarter percent per tick
        d.SetControlText(terminaltest::kPercent, std::to_string(ticks / 4) + "%");
        d.SetControlText(terminaltest::kStatus, ticks < 100 ? "Erasing" : "Sending records");
        if (ticks == 200)
            ui.Type("later\nlook at this later\ncancel\n");  // only Cancel is an enabled button
    };
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_GE(ticks, 200);
    EXPECT_EQ(ui.Count("  Erasing\n"), 1);
    EXPECT_EQ(ui.Count("  Sending records\n"), 1);
    for (int percent : {1, 25, 49})
        EXPECT_EQ(ui.Count("  Progress: " + std::to_string(percent) + "%\n"), 1) << percent;
    EXPECT_FALSE(ui.Printed("  25%\n")) << "the percentage is the progress line's";
    EXPECT_TRUE(ui.Printed("Pressed Cancel\n"));
    EXPECT_FALSE(ui.Printed("Expert Setup> "));

    // The lines that named no button wait for the next prompt.
    ui.EndInput();
    EXPECT_EQ(ui::MessageBox(nullptr, "Next?", "STATUS", ui::MB_YESNO), ui::IDNO);
    EXPECT_TRUE(ui.Printed("STATUS> later\nAnswer Yes, No.\nSTATUS> look at this later\n"))
        << ui.Output();
}

// A box raised by a running dialog (an error during an upload) comes after the dialog's
// last lines; while its prompt waits, the dialog's timers tick, and what they change is
// printed once after the answer, never after the prompt.
TEST(TerminalDialog, BelowAnOpenBoxTimersTickAndTheirLinesWaitForTheAnswer) {
    TerminalUi ui;
    LabelledDialog dialog;
    int ticksWhileBoxOpen = 0;
    bool boxOpen = false;
    dialog.onInit = [](LabelledDialog& d) {
        d.SetProgressRange(terminaltest::kProgress, 0, 100);
        d.SetTimer(10, 50);
        d.SetTimer(11, 2);
    };
    dialog.onTimer = [&](LabelledDialog& d, int id) {
        if (id == 11) {
            ticksWhileBoxOpen += boxOpen;
            d.SetProgressPos(terminaltest::kProgress, ticksWhileBoxOpen % 100);
            d.SetControlText(terminaltest::kStatus, boxOpen ? "Sending" : "Erasing");
            if (ticksWhileBoxOpen == 20)
                ui.Type("ok\n");
            return;
        }
        d.KillTimer(10);
        d.SetControlText(terminaltest::kStatus, "Stopped");
        boxOpen = true;
        ui::MessageBox(&d, "Cancel?", "WARNING", ui::MB_OK);
        boxOpen = false;
        d.EndDialog(ui::IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_GE(ticksWhileBoxOpen, 20);
    EXPECT_TRUE(
        ui.Printed("  Stopped\n== WARNING ==\nCancel?\nButtons: OK\nWARNING> ok\n"
                   "  Sending\n  Progress: "))
        << ui.Output();
    EXPECT_EQ(ui.Count("WARNING> "), 1) << ui.Output();
    EXPECT_EQ(ui.Count("  Sending\n"), 1) << ui.Output();
}

TEST(TerminalFileOpen, ReadsAPathAndAnEmptyLineOrTheEndCancels) {
    TerminalUi ui;
    ui::FileOpenRequest request{nullptr, "Select Code File", "bin",
                                "S-record Files (*.srec)|*.srec|All Files (*.*)|*.*||", ""};
    ui.Type("/images/code.srec\n\n");
    ui.EndInput();
    EXPECT_EQ(ui::FileOpenDialog(request), std::optional<std::string>("/images/code.srec"));
    EXPECT_EQ(ui::FileOpenDialog(request), std::nullopt);
    EXPECT_FALSE(ui::Runtime::Get().QuitPosted());
    EXPECT_EQ(ui::FileOpenDialog(request), std::nullopt);
    EXPECT_EQ(ui::Runtime::Get().QuitCode(), ui::TerminalBackend::kEndOfInputQuitCode);
    EXPECT_TRUE(
        ui.Printed("== Select Code File ==\n  S-record Files (*.srec)  *.srec\n"
                   "  All Files (*.*)  *.*\n"))
        << ui.Output();
    EXPECT_EQ(ui.Count("Select Code File> "), 3);
}

namespace {

constexpr int kSelectCode = 32774;
constexpr int kUpload = 32788;
constexpr int kExit = 57665;
constexpr int kAbout = 32794;

const ui::MenuTemplate kMenu{
    128,
    "Tarnwick Firmware Uploader",
    {{"&File", 0, {{"Select Code File...", kSelectCode}, {"E&xit", kExit}}},
     {"&Upload", kUpload},
     {"&Help", 0, {{"About UPLOAD...", kAbout}}}}};

class Frame : public ui::FrameWindow {
  public:
    bool uploadEnabled = false;
    std::vector<int> ran;
    bool IsCommandEnabled(int id) override { return id != kUpload || uploadEnabled; }
    void OnCommand(int id) override {
        ran.push_back(id);
        if (id == kSelectCode) {
            uploadEnabled = true;
            SetPaneText(0, "Pathwick");
        }
    }
};

}  // namespace

// Commands are typed by their text in any case; a greyed or unknown one is refused and said.
// The end of input is Exit.
TEST(TerminalMainWindow, RunsTypedMenuCommandsUntilTheEndOfInput) {
    TerminalUi ui;
    ui::Application app;
    ui::Application* previous = ui::Runtime::Get().App();
    ui::Runtime::Get().SetApp(&app);
    Frame frame;
    frame.Create(kMenu);
    app.mainWindow = &frame;
    ui.Type("upload\nselect code file\nUPLOAD\nflash it\nabout upload\n");
    ui.EndInput();
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(frame.ran, (std::vector<int>{kSelectCode, kUpload, kAbout}));
    for (const char* shown : {"Tarnwick Firmware Uploader\nMenu:\n  File: Select Code File, Exit\n"
                              "  Upload (greyed)\n  Help: About UPLOAD\n",
                              "Command> upload\nUpload is greyed out.\nCommand> select code file\n"
                              "Status: Pathwick\nMenu:\n  File: Select Code File, Exit\n  Upload\n",
                              "Unknown command \"flash it\".\n", "Command> End of input: Exit\n"})
        EXPECT_TRUE(ui.Printed(shown)) << ui.Output();
    frame.Destroy();
    ui::Runtime::Get().SetApp(previous);
}
