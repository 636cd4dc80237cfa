// Controls and data exchange of dialogs.
#include <gtest/gtest.h>

#include "tests/support/ScriptedUi.h"
#include "tests/ui/TestDialogs.h"

using testdialogs::TestDialog;

TEST(DialogDataExchange, ANonNumberStoresNothingAndKeepsTheFocusInTheBox) {
    ScriptedUi ui;
    ui.OnDialog("Setup")
        .Type(testdialogs::kEdit, "new text")
        .Type(testdialogs::kNumber, "12x")
        .Press(testdialogs::kRadioC)
        .Press(ui::IDOK);
    ui.OnMessageBox("Please enter a positive integer.").Press(ui::IDOK);

    TestDialog dialog("Setup");
    dialog.text = "old text";
    dialog.number = 5;
    dialog.choice = 0;
    int focusAfterFailure = -1;
    bool stillRunning = false;
    ui.At(1).Run([&] {
        focusAfterFailure = dialog.FocusId();
        stillRunning = dialog.IsWindowAlive() && !dialog.IsEnding();
        dialog.TypeText(testdialogs::kNumber, " 12 ");
        dialog.ClickButton(ui::IDOK);
    });

    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(focusAfterFailure, testdialogs::kNumber);
    EXPECT_TRUE(stillRunning);
    EXPECT_EQ(dialog.text, "new text");
    EXPECT_EQ(dialog.number, 12u);
    EXPECT_EQ(dialog.choice, 2);
}

TEST(DialogControls, RadioClicksKeepOneButtonOfTheGroupChecked) {
    ScriptedUi ui;
    ui.OnDialog("Radio").Press(testdialogs::kRadioB).Press(testdialogs::kRadioA).Press(ui::IDOK);
    TestDialog dialog("Radio");
    dialog.choice = 2;
    std::vector<int> commands;
    dialog.onCommand = [&](TestDialog&, int id) { commands.push_back(id); };
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(dialog.choice, 0);
    EXPECT_EQ(commands, (std::vector<int>{testdialogs::kRadioB, testdialogs::kRadioA}));
}

TEST(DialogControls, DisabledAndReadOnlyControlsIgnoreTheUser) {
    ScriptedUi ui;
    ui.OnDialog("Locked").Press(testdialogs::kAction).Press(ui::IDOK);
    TestDialog dialog("Locked");
    bool acted = false;
    dialog.onInit = [](TestDialog& d) { d.EnableControl(testdialogs::kAction, false); };
    dialog.onCommand = [&](TestDialog&, int) { acted = true; };
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_FALSE(acted);
}

TEST(DialogControls, EnterPressesTheDefaultButtonAndEscapeCancels) {
    for (bool enter : {true, false}) {
        ScriptedUi ui;
        ui::ScriptRule& rule = ui.OnDialog("Keys");
        enter ? rule.Enter() : rule.Close();
        TestDialog dialog("Keys");
        EXPECT_EQ(dialog.DoModal(), enter ? ui::IDOK : ui::IDCANCEL);
    }
}
