#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace ui {

class Window;

// Window timers, kept apart from any backend so every backend ticks them alike.
// A timer does not fire again while its own handler runs (a message box opened by
// the handler would otherwise re-enter it), nor for a window that is closing.
class TimerQueue {
  public:
    void Set(Window* owner, int id, unsigned periodMs, std::uint64_t nowMs);
    void Kill(Window* owner, int id);
    void KillAll(Window* owner);
    void Clear() { timers_.clear(); }

    // When the next timer that may fire is due.
    std::optional<std::uint64_t> NextDue() const;
    // Fires every timer due at nowMs once; answers whether any fired.
    bool DispatchDue(std::uint64_t nowMs);
    bool Empty() const { return timers_.empty(); }
    // Whether the window has a timer set.
    bool HasTimers(const Window* owner) const;

  private:
    struct Timer {
        Window* owner;
        int id;
        unsigned periodMs;
        std::uint64_t dueMs;
        bool running;
        std::uint64_t serial;  // distinguishes a timer from one set again under the same id
    };
    bool Eligible(const Timer& timer) const;
    Timer* Find(Window* owner, int id);

    std::vector<Timer> timers_;
    std::uint64_t nextSerial_ = 1;
};

}  // namespace ui
