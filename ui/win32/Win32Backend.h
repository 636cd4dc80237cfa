#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "ui/Backend.h"
#include "ui/desktop/BusyWaitClock.h"
#include "ui/desktop/ModalLoopStack.h"

struct HWND__;

namespace ui {

class Win32DialogWindow;
class Win32FrameWindow;

// The desktop front end on Windows: the system's own windows, dialogs made by its dialog
// manager from our templates, its message boxes and file dialog. Every loop of ours waits
// in MsgWaitForMultipleObjects on the window messages and the watched input events
// (the serial device's), so an upload steps as soon as a byte arrives. Window timers are
// one system timer on a hidden window, armed for the next due one: the system's own modal
// loops (message boxes, the file dialog) dispatch it too, and while one of those runs the
// watched inputs are looked at from a short timer. A posted quit ends the innermost loop,
// then each one below it in turn. One per process.
class Win32Backend : public Backend {
  public:
    static std::unique_ptr<Win32Backend> Start();
    ~Win32Backend() override;

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

    // What is on screen (for tests): the window of a dialog or frame, texts of controls,
    // the status bar, the menu.
    HWND__* WindowOf(const Window* window) const;
    std::string ShownControlText(const Dialog& dialog, int id) const;
    std::vector<int> ControlsCutShort(const Dialog& dialog) const;
    std::string ShownStatusText(const FrameWindow& frame, int pane) const;
    bool ShownCommandEnabled(const FrameWindow& frame, int id) const;
    // Modal loops running now, the main loop included.
    std::size_t LoopDepth() const { return loops_.Depth(); }

    // The hidden window's work (its window procedure).
    void OnLoopMessage(unsigned message, std::uintptr_t wParam);

  private:
    Win32Backend();
    void RunLoop(const std::function<bool()>& done);
    // One wait, then everything that is there: input, window messages.
    void PumpOnce(const ModalLoopStack::Loop& loop);
    // Runs one of the system's modal loops (a message box, the file dialog); end closes it.
    template <class Call>
    auto RunSystemLoop(Call&& call, std::uintptr_t cancelCommand);
    // Timers that are due, then a look at the innermost loop.
    void Work();
    void Rearm();
    void AfterUserEvent();
    void AfterInput();
    void PollInput();
    void Idle();
    // Dialogs made before their loop starts are shown once it does (or a box opens).
    void PresentPendingDialogs();
    void RepaintWhileBusy();
    HWND__* TopWindow() const;

    HWND__* loopWindow_ = nullptr;
    ModalLoopStack loops_;
    int systemLoops_ = 0;
    bool wakePosted_ = false;
    bool repainting_ = false;
    platform::Clock& belowClock_;
    BusyWaitClock clock_;
    platform::Clock* previousClock_;
    std::map<const Dialog*, std::unique_ptr<Win32DialogWindow>> dialogs_;
    std::vector<const Dialog*> dialogOrder_;  // open dialogs, innermost last
    // Windows each presented dialog disabled, to give back when it closes.
    std::map<const Dialog*, std::vector<HWND__*>> disabled_;
    std::map<const FrameWindow*, std::unique_ptr<Win32FrameWindow>> frames_;
    std::vector<std::pair<platform::Waitable, std::function<void()>>> watched_;
    const Window* lastBoxOwner_ = nullptr;  // owner of the box that closed last
};

}  // namespace ui
