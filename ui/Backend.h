#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/Waitable.h"

namespace ui {

class Dialog;
class FrameWindow;
class Window;
struct FileOpenRequest;

// What a front end provides: drawing the windows, the event loops, message boxes and
// the file dialog. Timers, modality and quitting are kept by the Runtime, the same
// for every backend; a backend's loops ask it for due timers and dispatch them.
class Backend {
  public:
    virtual ~Backend() = default;

    // Pumps events until done() answers true. Must dispatch due timers
    // (Runtime::DispatchDueTimers) and return when a quit has been posted.
    virtual void RunModalLoop(const std::function<bool()>& done) = 0;
    // The main loop: pumps events until a quit is posted.
    virtual void RunMainLoop() = 0;

    virtual void DialogOpened(Dialog& dialog) = 0;
    // Controls of the dialog changed since it was last drawn.
    virtual void DialogUpdated(Dialog& dialog) = 0;
    virtual void DialogClosed(Dialog& dialog) = 0;

    virtual void FrameCreated(FrameWindow& frame) = 0;
    virtual void FrameStatusChanged(FrameWindow& frame, int pane) = 0;
    virtual void FrameDestroyed(FrameWindow& frame) = 0;

    // A modal box; must keep dispatching timers while it waits, and answer the cancel
    // button when a quit is posted meanwhile.
    virtual int ShowMessageBox(Window* owner, const std::string& text, const std::string& caption,
                               unsigned flags) = 0;
    // The file-open dialog; a path as the user gave it, or nothing.
    virtual std::optional<std::string> ShowFileOpen(const FileOpenRequest& request) = 0;

    // Calls onReadable from the loop whenever the source is ready.
    virtual void WatchInput(platform::Waitable source, std::function<void()> onReadable) = 0;
    virtual void UnwatchInput(platform::Waitable source) = 0;

    // Timers or the quit state changed: a waiting loop should look again.
    virtual void Wake() {}
};

}  // namespace ui
