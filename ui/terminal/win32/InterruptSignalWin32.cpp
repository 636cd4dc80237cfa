// Ctrl-C (and Ctrl-Break) on a Windows console: the control handler counts it and sets
// an event the loop waits on. Closing the console window asks the program to end.
#include <atomic>

#include "platform/win32/SystemApi.h"
#include "platform/win32/UniqueHandle.h"
#include "ui/terminal/InterruptSignal.h"

namespace ui {

namespace {

// The system ends the process when the handler of a closed console returns, and at the
// latest 5 s after the close: the handler waits this long for the loops to end, so that
// the port is closed and the trace written first.
constexpr DWORD kCloseGraceMs = 4000;
// The status of a program whose console went away, as a shell reports a hang-up.
constexpr int kClosedConsoleCode = 129;

std::atomic<int> arrived{0};
std::atomic<int> endCode{0};
std::atomic<HANDLE> signalled{nullptr};

// Set once the loops have ended; lives as long as the process.
HANDLE LoopsEnded() {
    static const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

BOOL WINAPI OnControl(DWORD event) {
    HANDLE handle = signalled.load();
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        arrived.fetch_add(1);
        if (handle != nullptr)
            ::SetEvent(handle);
        return TRUE;
    }
    if (event != CTRL_CLOSE_EVENT || handle == nullptr)
        return FALSE;  // logging off or shutting down ends the program as usual
    endCode.store(kClosedConsoleCode);
    ::SetEvent(handle);
    ::WaitForSingleObject(LoopsEnded(), kCloseGraceMs);
    return TRUE;
}

}  // namespace

struct InterruptSignal::Handler {
    platform::UniqueHandle event;
};

InterruptSignal::InterruptSignal() : handler_(std::make_unique<Handler>()) {
    handler_->event.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ::ResetEvent(LoopsEnded());
    arrived.store(0);
    endCode.store(0);
    signalled.store(handler_->event.Get());
    ::SetConsoleCtrlHandler(OnControl, TRUE);
}

InterruptSignal::~InterruptSignal() {
    ::SetConsoleCtrlHandler(OnControl, FALSE);
    signalled.store(nullptr);
    ::SetEvent(LoopsEnded());
}

platform::Waitable InterruptSignal::Source() const {
    return {reinterpret_cast<std::intptr_t>(handler_->event.Get())};
}

InterruptSignal::Arrived InterruptSignal::Take() {
    // Reset first: an interrupt that comes meanwhile sets the event again.
    ::ResetEvent(handler_->event.Get());
    return {arrived.exchange(0), endCode.exchange(0)};
}

}  // namespace ui
