#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "ui/Backend.h"
#include "ui/desktop/BusyWaitClock.h"
#include "ui/desktop/LoopSources.h"
#include "ui/desktop/ModalLoopStack.h"

class wxWindow;

namespace ui {

class MainFrameWindow;
class MessageBoxWindow;
class TemplateDialogWindow;

// The desktop front end on the toolkit's main loop. Window timers and descriptor watches
// are sources on that loop, armed only for what is due; every modal loop (the framework's
// dialogs, message boxes and file dialogs) runs that same loop, so timers of the
// dialogs below keep firing while another is on top. A posted quit ends the innermost
// loop, then each one below it in turn.
class DesktopBackend : public Backend {
  public:
    // Starts the toolkit; nullptr when it cannot (no display). One per process.
    static std::unique_ptr<DesktopBackend> Start(int& argc, char** argv);
    ~DesktopBackend() override;

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
    void Wake() override;

    // What is on screen (for tests): texts of a dialog's controls, the status bar, the menu.
    std::string ShownControlText(const Dialog& dialog, int id) const;
    bool ShownControlEnabled(const Dialog& dialog, int id) const;
    std::vector<int> ControlsCutShort(const Dialog& dialog) const;
    std::string ShownStatusText(const FrameWindow& frame, int pane) const;
    bool ShownCommandEnabled(const FrameWindow& frame, int systemId) const;
    std::string BarCommandShortcut(const FrameWindow& frame, int systemId) const;
    // The icon kind (MB_ICONSTOP ...) the innermost open message box shows; 0 for none.
    unsigned ShownBoxIcon() const;
    // Rounds of timer dispatch so far: an idle program runs none.
    std::uint64_t DispatchRounds() const { return dispatchRounds_; }
    // Modal loops running now, the main loop included.
    std::size_t LoopDepth() const { return loops_.Depth(); }

  private:
    DesktopBackend();
    // Timers that are due, then a look at the innermost loop, then the next source.
    void Work();
    void Rearm();
    // After the user did something: draw what changed, move the focus where a failed
    // check put it, and let a finished loop return.
    void AfterUserEvent();
    // Runs a modal loop of the toolkit until done() holds.
    void RunToolkitLoop(const std::function<bool()>& done, bool mainLoop);
    // Dialogs made before their loop starts are shown once it does (or a box opens).
    void PresentPendingDialogs();
    // Repaints without handling input or timers, from inside a busy wait.
    void RepaintWhileBusy();
    wxWindow* WindowFor(Window* window) const;
    wxWindow* TopWindow() const;

    LoopSources sources_;
    ModalLoopStack loops_;
    platform::Clock& belowClock_;
    BusyWaitClock clock_;
    platform::Clock* previousClock_;
    std::map<const Dialog*, TemplateDialogWindow*> dialogs_;
    std::map<const FrameWindow*, MainFrameWindow*> frames_;
    std::vector<const Dialog*> dialogOrder_;    // open dialogs, innermost last
    std::vector<MessageBoxWindow*> openBoxes_;  // open message boxes, innermost last
    const Window* lastBoxOwner_ = nullptr;      // owner of the box that closed last
    bool repainting_ = false;
    std::uint64_t dispatchRounds_ = 0;
};

}  // namespace ui
