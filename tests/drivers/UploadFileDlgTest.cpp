// "UPLOAD FILE": its two choices end it at once and drop what was typed; Enter keeps it.
#include "dialogs/CUploadFileDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "res/Resource.h"
#include "tests/support/NamedCase.h"
#include "tests/support/ScriptedUi.h"

namespace {

constexpr char kShown[] = "/a rather long path/that scrolls in the box/to the image/code.hex";

struct Case : NamedCase {
    int button;  // 0: Enter
    int result;
    const char* fileName;  // the member afterwards
};

class UploadFileDlg : public ::testing::TestWithParam<Case> {};

TEST_P(UploadFileDlg, AnswersTheChoiceAndKeepsTypedTextOnlyOnEnter) {
    const Case& c = GetParam();
    ScriptedUi ui;
    ui::ScriptRule& rule = ui.OnDialog("UPLOAD FILE").Type(IDC_UPLOAD_FILE_NAME, "typed.bin");
    if (c.button != 0)
        rule.Press(c.button);
    else
        rule.Enter();
    CUploadFileDlg dialog;
    dialog.fileName = kShown;
    EXPECT_EQ(dialog.DoModal(), c.result);
    EXPECT_EQ(dialog.fileName, c.fileName);
    const std::vector<std::string> shown =
        ui.Log().ControlHistory("UPLOAD FILE", IDC_UPLOAD_FILE_NAME);
    EXPECT_NE(std::find(shown.begin(), shown.end(), kShown), shown.end());
}

const Case kCases[] = {
    {"upload_file", CUploadFileDlg::kUploadFile, 1069, kShown},
    {"change_file", CUploadFileDlg::kChangeFile, 1070, kShown},
    {"cancel", ui::IDCANCEL, ui::IDCANCEL, kShown},
    {"enter", 0, ui::IDOK, "typed.bin"},
};

INSTANTIATE_TEST_SUITE_P(Choices, UploadFileDlg, ::testing::ValuesIn(kCases), ByName);

}  // namespace
