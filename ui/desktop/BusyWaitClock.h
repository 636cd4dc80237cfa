#pragma once

#include <cstdint>
#include <functional>

#include "platform/Clock.h"

namespace ui {

// The clock while the desktop runs: times come from the clock below, and the program's
// own busy waits (the settle pause after an upload command, the serial link's polling)
// let the windows repaint between their sleeps and yields, so a slow receiver never
// leaves a frozen or blank window. Input and timers are not handled meanwhile.
class BusyWaitClock : public platform::Clock {
  public:
    BusyWaitClock(platform::Clock& below, std::function<void()> repaint)
        : below_(below), repaint_(std::move(repaint)) {}

    std::int64_t CalendarSeconds() override { return below_.CalendarSeconds(); }
    std::uint64_t MonotonicMs() override { return below_.MonotonicMs(); }
    platform::LocalDateTime LocalNow() override { return below_.LocalNow(); }
    void Yield() override;
    void SleepMs(unsigned ms) override;
    int WaitAny(std::span<const platform::Waitable> sources, unsigned ms) override;

    // How long a busy wait may go without a repaint.
    static constexpr unsigned kRepaintIntervalMs = 15;

  private:
    void RepaintIfDue();

    platform::Clock& below_;
    std::function<void()> repaint_;
    std::uint64_t lastRepaintMs_ = 0;
};

}  // namespace ui
