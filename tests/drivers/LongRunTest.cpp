// A bench that flashes one receiver after another all day: many uploads back to back in
// one running program, in virtual time. The sanitizer build finds leaks at exit; this
// test finds descriptors that pile up and uploads that stop succeeding.
#include <filesystem>

#include "dialogs/CUploadFileDlg.h"
#include "tests/drivers/DriverFixture.h"

namespace {

constexpr int kUploadsBackToBack = 200;
constexpr std::size_t kCodeBytes = 4000;

std::size_t OpenDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

class LongRun : public DriverFixture {};

TEST_F(LongRun, TwoHundredCodeUploadsBackToBackKeepSucceedingAndHoldNoDescriptors) {
    StartReceiver("Pathwick");
    const std::string product = receiver->Options().productCode;
    samples::WriteFile("code", samples::CodeImageSRecord(product, 3, 1, kCodeBytes, 1));
    const Bytes code = samples::CodeBytes(product, 3, 1, kCodeBytes, 1);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile).Repeat();
    ui.OnMessageBoxContaining("This will overwrite").Press(ui::IDOK).Repeat();
    ui.OnMessageBox("Upload complete", "STATUS").Press(ui::IDOK).Repeat();

    std::size_t descriptorsAfterFirst = 0;
    for (int upload = 0; upload < kUploadsBackToBack; ++upload) {
        ui.Log().Clear();
        unit.codePath = "code";
        unit.codeChosen = 1;
        unit.dataChosen = 0;
        app.OnUpload();
        ASSERT_EQ(ui.BoxTexts().back(), "STATUS: Upload complete") << "upload " << upload << "\n"
                                                                   << ui.Log().Dump();
        if (upload == 0)
            descriptorsAfterFirst = OpenDescriptors();
    }
    EXPECT_EQ(Flash(samples::kCodeLoadAddress, code.size()), code);
    EXPECT_EQ(receiver->Flash().ProgrammedBytes(), code.size());
    EXPECT_EQ(OpenDescriptors(), descriptorsAfterFirst);
}

}  // namespace
