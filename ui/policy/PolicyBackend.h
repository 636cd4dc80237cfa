#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "ui/Backend.h"
#include "ui/policy/PolicyAnswers.h"
#include "ui/terminal/InterruptSignal.h"
#include "ui/terminal/TerminalOutput.h"

namespace ui {

// The front end of the one-shot commands: no person is there. A dialog that waits for
// one is answered from the options, or ends the run (status 2) with a line naming the
// option that would answer it. Dialogs that work on their own run on the clock as on a
// terminal; their progress goes to standard error. Ctrl-C, SIGTERM and SIGHUP end the
// run as a quit (130): the dialogs close as their Cancel would, the port with them.
class PolicyBackend : public Backend {
  public:
    static constexpr int kUnansweredCode = 2;
    static constexpr int kTimedOutCode = 5;
    static constexpr int kInterruptedCode = 130;
    // Progress through a pipe: one line per this many percent.
    static constexpr int kProgressStepPercent = 10;

    explicit PolicyBackend(PolicyAnswers answers, int progressFd = 2);
    ~PolicyBackend() override;

    void RunModalLoop(const std::function<bool()>& done) override;
    void RunMainLoop() override;
    void DialogOpened(Dialog& dialog) override;
    void DialogUpdated(Dialog& dialog) override;
    void DialogClosed(Dialog& dialog) override;
    void FrameCreated(FrameWindow& frame) override;
    void FrameStatusChanged(FrameWindow& frame, int pane) override;
    void FrameDestroyed(FrameWindow& /*frame*/) override {}
    int ShowMessageBox(Window* owner, const std::string& text, const std::string& caption,
                       unsigned flags) override;
    std::optional<std::string> ShowFileOpen(const FileOpenRequest& request) override;
    void WatchInput(platform::Waitable source, std::function<void()> onReadable) override;
    void UnwatchInput(platform::Waitable source) override;

  private:
    // Waits once for an interrupt, a watched descriptor or the next timer.
    void PumpOnce();
    // Presses the dialog's button the options name; false when none does, or when it was
    // answered once and still waits.
    bool Answer(Dialog& dialog);
    // Ends the run: nothing answers what this caption asks.
    void Unanswered(const std::string& caption, const std::string& choices);
    void ShowProgress(const Dialog& dialog);
    // The deadline of --timeout has passed: the run ends as failed.
    bool TimedOut();

    PolicyAnswers answers_;
    TerminalOutput progress_;
    InterruptSignal interrupt_;
    std::map<platform::Waitable, std::function<void()>> watched_;
    std::optional<std::uint64_t> deadlineMs_;
    int shownPercent_ = -1;
    const Dialog* answered_ = nullptr;
};

}  // namespace ui
