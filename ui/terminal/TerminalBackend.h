#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/Backend.h"
#include "ui/terminal/ConsoleSession.h"
#include "ui/terminal/InterruptSignal.h"
#include "ui/terminal/LineReader.h"
#include "ui/terminal/TerminalOutput.h"

namespace ui {

// The front end for a terminal or a pipe: windows are printed as lines, answers are
// read as lines. README describes the contract; tests and scripts rely on it.
class TerminalBackend : public Backend {
  public:
    // A second Ctrl-C within this time ends the program.
    static constexpr std::uint64_t kSecondInterruptMs = 2000;
    // The quit code after the second Ctrl-C, as a shell reports a SIGINT.
    static constexpr int kInterruptQuitCode = 130;
    // The quit code when the input ended while a dialog or box waited for it.
    static constexpr int kEndOfInputQuitCode = 2;

    // Standard input and output by default.
    explicit TerminalBackend(int inputFd = 0, int outputFd = 1);
    ~TerminalBackend() override;

    void RunModalLoop(const std::function<bool()>& done) override;
    void RunMainLoop() override;
    void DialogOpened(Dialog& dialog) override;
    void DialogUpdated(Dialog& dialog) override;
    void DialogClosed(Dialog& dialog) override;
    void FrameCreated(FrameWindow& frame) override;
    void FrameStatusChanged(FrameWindow& frame, int pane) override;
    void FrameDestroyed(FrameWindow& frame) override;
    int ShowMessageBox(Window* owner, const std::string& text, const std::string& caption,
                       unsigned flags) override;
    std::optional<std::string> ShowFileOpen(const FileOpenRequest& request) override;
    void WatchInput(platform::Waitable source, std::function<void()> onReadable) override;
    void UnwatchInput(platform::Waitable source) override;

  private:
    // A modal window on screen, innermost last.
    struct Surface {
        enum class Kind { Dialog, Box, File };
        Kind kind = Kind::Dialog;
        Dialog* dialog = nullptr;
        unsigned flags = 0;  // a box's buttons
        bool answered = false;
        int answer = 0;
        std::optional<std::string> chosen;  // a file dialog's path
        // What the user last saw of a dialog.
        bool shown = false;
        std::vector<std::string> controlLines;
        std::string buttonsLine;
        int percent = -1;
        bool updateHeld = false;  // changed while a prompt waited for its answer
    };
    enum class Asked { Line, EndOfInput, Abandoned };

    Surface& Push(Surface::Kind kind);
    void Pop(const Surface& surface);
    Surface* Innermost();
    Surface* SurfaceOf(const Dialog& dialog);
    bool RunsOnItsOwn(const Dialog& dialog) const;

    // Prints the prompt and waits for a line, the end of input, or abandoned().
    Asked Ask(const std::string& prompt, const std::function<bool()>& abandoned, std::string& line);
    // Waits once for input, an interrupt, a watched descriptor or the next timer.
    void PumpOnce();
    void ReadInput();
    void HandleInterrupt();
    // Every line typed has been used and no more will come.
    bool InputUsedUp() const;
    // Prints what changed below a prompt while it waited.
    void ReleaseHeld();

    void ShowDialog(Surface& surface);
    void PromptDialog(Surface& surface);
    void AnswerDialog(Surface& surface, const std::string& line);
    void CancelAtEndOfInput(Dialog& dialog);
    bool AnswerBox(Surface& surface, const std::string& line);
    void ShowMenuIfChanged(bool always);
    void RunMenuCommand(const std::string& line);

    ConsoleSession session_;
    LineReader input_;
    TerminalOutput output_;
    InterruptSignal interrupt_;
    bool inputEchoes_;
    FrameWindow* frame_ = nullptr;
    std::vector<std::unique_ptr<Surface>> surfaces_;
    std::deque<std::string> arrived_;  // read, not yet looked at
    std::deque<std::string> answers_;  // waiting for the next prompt
    std::map<platform::Waitable, std::function<void()>> watched_;
    std::vector<std::string> shownMenu_;
    std::string shownStatus_;
    bool statusHeld_ = false;
    std::optional<std::uint64_t> lastInterruptMs_;
};

}  // namespace ui
