#include "ui/TimerQueue.h"

#include <algorithm>
#include <tuple>

#include "ui/Window.h"

namespace ui {

void TimerQueue::Set(Window* owner, int id, unsigned periodMs, std::uint64_t nowMs) {
    periodMs = std::max(periodMs, 1u);
    if (Timer* timer = Find(owner, id)) {
        // Setting a timer again restarts its period; the handler that may be running keeps it.
        timer->periodMs = periodMs;
        timer->dueMs = nowMs + periodMs;
        return;
    }
    timers_.push_back({owner, id, periodMs, nowMs + periodMs, false, nextSerial_++});
}

void TimerQueue::Kill(Window* owner, int id) {
    std::erase_if(timers_, [&](const Timer& t) { return t.owner == owner && t.id == id; });
}

void TimerQueue::KillAll(Window* owner) {
    std::erase_if(timers_, [&](const Timer& t) { return t.owner == owner; });
}

bool TimerQueue::HasTimers(const Window* owner) const {
    return std::any_of(timers_.begin(), timers_.end(),
                       [&](const Timer& t) { return t.owner == owner; });
}

TimerQueue::Timer* TimerQueue::Find(Window* owner, int id) {
    for (Timer& timer : timers_) {
        if (timer.owner == owner && timer.id == id)
            return &timer;
    }
    return nullptr;
}

bool TimerQueue::Eligible(const Timer& timer) const {
    return !timer.running && !timer.owner->TimersSuspended();
}

std::optional<std::uint64_t> TimerQueue::NextDue() const {
    std::optional<std::uint64_t> next;
    for (const Timer& timer : timers_) {
        if (Eligible(timer) && (!next || timer.dueMs < *next))
            next = timer.dueMs;
    }
    return next;
}

bool TimerQueue::DispatchDue(std::uint64_t nowMs) {
    struct Due {
        std::uint64_t dueMs;
        std::uint64_t serial;
        Window* owner;
        int id;
    };
    std::vector<Due> due;
    for (const Timer& timer : timers_) {
        if (Eligible(timer) && timer.dueMs <= nowMs) {
            due.push_back({timer.dueMs, timer.serial, timer.owner, timer.id});
        }
    }
    std::sort(due.begin(), due.end(), [](const Due& a, const Due& b) {
        return std::tie(a.dueMs, a.serial) < std::tie(b.dueMs, b.serial);
    });

    bool fired = false;
    for (const Due& entry : due) {
        // An earlier handler may have killed, replaced or closed this one.
        Timer* timer = Find(entry.owner, entry.id);
        if (timer == nullptr || timer->serial != entry.serial || !Eligible(*timer))
            continue;
        // Ticks missed while the program was busy collapse into one, as window timers do.
        std::uint64_t periods = (nowMs - timer->dueMs) / timer->periodMs + 1;
        timer->dueMs += periods * timer->periodMs;
        timer->running = true;
        entry.owner->OnTimer(entry.id);
        fired = true;
        timer = Find(entry.owner, entry.id);
        if (timer != nullptr && timer->serial == entry.serial)
            timer->running = false;
    }
    return fired;
}

}  // namespace ui
