#pragma once

#include <cstdint>
#include <string>

#include "program/OneShotOptions.h"
#include "program/ScanPassWatch.h"
#include "ui/policy/PolicyAnswers.h"

class CUploaderApp;
class CGpsUnit;

// The one-shot commands that talk to a receiver, upload and identify: the program's own
// Upload command and connection scan under the policy front end, with stages and the
// result as lines on standard output and an exit status.
class OneShotUpload {
  public:
    static constexpr int kDone = 0;
    static constexpr int kNoReceiver = 3;
    static constexpr int kImageRefused = 4;
    static constexpr int kUploadFailed = 5;

    OneShotUpload(CUploaderApp& app, const OneShotOptions& options);

    int Upload();
    int Identify();

  private:
    ui::PolicyAnswers Answers();
    void OnDialog(ui::Dialog& dialog);
    void OnBox(const std::string& text, const std::string& caption, unsigned flags);
    void OnStatus(const std::string& text);
    // The first failure decides the status.
    void Fail(int status, const std::string& line);
    void PrepareUnit();
    std::string PortName(int index) const;
    int Finish(int quitCode);

    CUploaderApp& app_;
    CGpsUnit& unit_;
    const OneShotOptions& options_;
    ScanPassWatch scan_;
    std::string lastStatus_;
    bool found_ = false;
    int failure_ = kDone;
    int completions_ = 0;
    const void* writingDialog_ = nullptr;
    std::size_t writingImage_ = 0;
    std::int64_t bytesWritten_ = 0;
    std::uint64_t writingSinceMs_ = 0;
    bool writing_ = false;
};
