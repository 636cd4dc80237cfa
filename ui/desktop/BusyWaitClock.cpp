#include "ui/desktop/BusyWaitClock.h"

#include <algorithm>

namespace ui {

void BusyWaitClock::RepaintIfDue() {
    std::uint64_t now = below_.MonotonicMs();
    if (now - lastRepaintMs_ < kRepaintIntervalMs)
        return;
    lastRepaintMs_ = now;
    repaint_();
}

void BusyWaitClock::Yield() {
    RepaintIfDue();
    below_.Yield();
}

void BusyWaitClock::SleepMs(unsigned ms) {
    // A long sleep is cut into slices so that the window keeps up.
    do {
        RepaintIfDue();
        unsigned slice = std::min(ms, kRepaintIntervalMs);
        below_.SleepMs(slice);
        ms -= slice;
    } while (ms > 0);
}

int BusyWaitClock::WaitAny(std::span<const platform::Waitable> sources, unsigned ms) {
    // Sliced like a sleep, each slice asleep on the sources.
    do {
        RepaintIfDue();
        unsigned slice = std::min(ms, kRepaintIntervalMs);
        if (int ready = below_.WaitAny(sources, slice); ready >= 0)
            return ready;
        ms -= slice;
    } while (ms > 0);
    return -1;
}

}  // namespace ui
