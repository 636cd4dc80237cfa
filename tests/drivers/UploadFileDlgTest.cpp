// "UPLOAD FILE": its two choices end it at once; the name is only shown, so nothing typed
// reaches the file the caller sends.
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
};

class UploadFileDlg : public ::testing::TestWithParam<Case> {};

TEST_P(UploadFileDlg, AnswersTheChoiceAndNeverTakesTypedText) {
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
    EXPECT_EQ(dialog.fileName, kShown);
    const std::vector<std::string> shown =
        ui.Log().ControlHistory("UPLOAD FILE", IDC_UPLOAD_FILE_NAME);
    EXPECT_NE(std::find(shown.begin(), shown.end(), kShown), shown.end());
}

const Case kCases[] = {
    {"upload_file", CUploadFileDlg::kUploadFile, 1069},
    {"change_file", CUploadFileDlg::kChangeFile, 1070},
    {"cancel", ui::IDCANCEL, ui::IDCANCEL},
    {"enter", 0, ui::IDOK},
};

INSTANTIATE_TEST_SUITE_P(Choices, UploadFileDlg, ::testing::ValuesIn(kCases), ByName);

}  // namespace
