#pragma once

#include <cstdint>
#include <vector>

#include "ui/TimerQueue.h"

namespace ui {

class Application;
class Backend;
class Dialog;

// The state every backend shares: the backend in use, timers, open modal dialogs
// and the posted quit.
class Runtime {
  public:
    static Runtime& Get();

    Backend& UseBackend() const;
    Backend* SetBackend(Backend* backend);  // answers the previous one
    bool HasBackend() const { return backend_ != nullptr; }

    Application* App() const { return app_; }
    void SetApp(Application* app) { app_ = app; }

    void PostQuit(int code);
    bool QuitPosted() const { return quitPosted_; }
    int QuitCode() const { return quitCode_; }

    TimerQueue& Timers() { return timers_; }
    std::uint64_t NowMs() const;
    // Fires due timers, then lets backends draw what changed; answers whether any fired.
    bool DispatchDueTimers();
    // Tells the backend about dialogs whose controls changed.
    void FlushUpdates();

    const std::vector<Dialog*>& ModalStack() const { return modalStack_; }
    void PushModal(Dialog* dialog) { modalStack_.push_back(dialog); }
    void PopModal(Dialog* dialog);

    // Back to the state at program start: no quit posted, no timers, no dialogs.
    void Reset();

  private:
    Backend* backend_ = nullptr;
    Application* app_ = nullptr;
    bool quitPosted_ = false;
    int quitCode_ = 0;
    TimerQueue timers_;
    std::vector<Dialog*> modalStack_;
};

}  // namespace ui
