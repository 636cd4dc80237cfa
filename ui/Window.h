#pragma once

namespace ui {

// Base of the frame window and the dialogs: it owns window timers.
class Window {
  public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Starts (or restarts) timer id with the period; only while the window exists.
    bool SetTimer(int id, unsigned periodMs);
    void KillTimer(int id);

    virtual void OnTimer(int /*id*/) {}

    // True while the window exists on screen (a dialog between DoModal's start and end).
    virtual bool IsWindowAlive() const = 0;
    // A window that is closing gets no more timer ticks.
    virtual bool TimersSuspended() const { return false; }
};

}  // namespace ui
