#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/VirtualClock.h"
#include "tests/support/scripted/ScriptRule.h"
#include "tests/support/scripted/Transcript.h"
#include "ui/Backend.h"

namespace ui {

// The backend of the tests: a virtual clock that moves only to the next due timer or
// scripted action, a script of user actions, and a transcript of everything shown.
// A box nobody answers, or a modal loop nothing can end, fails the script instead of
// hanging: the failure handler is told, and every modal loop ends with Cancel. When the
// script ends (when the backend goes), a rule whose actions never ran fails it too,
// unless the rule repeats.
class ScriptedBackend : public Backend {
  public:
    // Installs itself and a virtual clock, and resets the framework's state.
    ScriptedBackend();
    ~ScriptedBackend() override;

    platform::VirtualClock& Clock() { return clock_; }
    Transcript& Log() { return transcript_; }

    // A message box with exactly this text (and caption, unless empty).
    ScriptRule& OnMessageBox(std::string text, std::string caption = {});
    ScriptRule& OnDialog(std::string caption);
    // A refresh of the dialog that shows text in control id.
    ScriptRule& OnControlText(std::string caption, int id, std::string text);
    // A file-open dialog with this title (empty: any).
    ScriptRule& OnFileOpen(std::string title = {});
    // At this virtual time (milliseconds since the backend was made).
    ScriptRule& At(std::uint64_t ms);

    // Called with a readable reason when the script fails. The default prints the reason
    // and the transcript and aborts the process.
    void SetFailureHandler(std::function<void(const std::string&)> handler) {
        failureHandler_ = std::move(handler);
    }
    bool Failed() const { return failed_; }
    // Virtual time after which a run that has not ended fails (default: one day).
    void SetTimeLimit(std::uint64_t ms) { timeLimitMs_ = ms; }

    // Backend.
    void RunModalLoop(const std::function<bool()>& done) override;
    void RunMainLoop() override;
    void DialogOpened(Dialog& dialog) override;
    void DialogUpdated(Dialog& dialog) override;
    void DialogClosed(Dialog& dialog) override;
    void FrameCreated(FrameWindow& frame) override { FrameStatusChanged(frame, 0); }
    void FrameStatusChanged(FrameWindow& frame, int pane) override;
    void FrameDestroyed(FrameWindow& /*frame*/) override {}
    int ShowMessageBox(Window* owner, const std::string& text, const std::string& caption,
                       unsigned flags) override;
    std::optional<std::string> ShowFileOpen(const FileOpenRequest& request) override;
    // Devices of the scripted world live in virtual time and are serviced when read;
    // nothing here ever becomes readable on its own.
    void WatchInput(platform::Waitable, std::function<void()>) override {}
    void UnwatchInput(platform::Waitable) override {}

  private:
    // Something modal on screen: a dialog, a message box or a file dialog.
    struct Surface {
        enum class Kind { Dialog, Box, File };
        std::uint64_t serial = 0;
        Kind kind = Kind::Dialog;
        Dialog* dialog = nullptr;
        std::string caption{};
        std::string text{};
        unsigned flags = 0;
        int answer = 0;  // a box's button once pressed
        bool answered = false;
        std::optional<std::string> chosen{};  // a file dialog's answer
    };
    struct Pending {
        std::uint64_t dueMs;
        std::uint64_t order;
        ScriptRule* rule;
        std::uint64_t target;  // surface serial; 0 for whatever is on top
    };

    ScriptRule& NewRule(ScriptRule::Trigger trigger, std::string text, std::string caption = {},
                        int controlId = 0);
    // Ends the script: rules that never fired fail it.
    void FinishScript();
    std::uint64_t Open(Surface surface);
    // Shows a box or file dialog until the script answers it; answers it as it closed.
    Surface Await(Surface surface, ScriptRule::Trigger trigger);
    void CloseSurface(std::uint64_t serial);
    Surface* FindSurface(std::uint64_t serial);
    Surface* SurfaceOf(const Dialog& dialog);
    // Schedules the first matching unused rule; answers whether one matched.
    bool Trigger(ScriptRule::Trigger kind, const Surface& surface, const Dialog* dialog = nullptr);
    void Schedule(ScriptRule& rule, std::uint64_t target);
    bool RunDueActions();
    void Perform(const ScriptRule::Action& action, std::uint64_t target);
    bool TimeRulePending() const;
    // One round of the loops; false when nothing more can happen.
    bool Pump(bool mainLoop);
    void Fail(const std::string& reason);
    TranscriptEntry Entry(TranscriptEntry::Kind kind) const;
    TranscriptEntry SnapshotEntry(TranscriptEntry::Kind kind, const Dialog& dialog) const;
    std::string Describe(const Surface& surface) const;
    static std::string Describe(const ScriptRule& rule);

    platform::VirtualClock clock_;
    platform::ScopedClock clockGuard_;
    Backend* previousBackend_;
    Transcript transcript_;
    std::deque<std::unique_ptr<ScriptRule>> rules_;
    std::vector<Surface> surfaces_;
    std::vector<Pending> pending_;
    std::uint64_t nextSerial_ = 1;
    std::uint64_t nextOrder_ = 1;
    std::function<void(const std::string&)> failureHandler_;
    bool failed_ = false;
    bool finished_ = false;
    std::uint64_t timeLimitMs_ = 24ull * 3600 * 1000;
};

}  // namespace ui
