// Ctrl-C (and Ctrl-Break) on a Windows console: the control handler counts it and sets
// an event the loop waits on.
#include <atomic>

#include "platform/win32/SystemApi.h"
#include "platform/win32/UniqueHandle.h"
#include "ui/terminal/InterruptSignal.h"

namespace ui {

namespace {

std::atomic<int> arrived{0};
std::atomic<HANDLE> signalled{nullptr};

BOOL WINAPI OnControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;  // closing the console or logging off ends the program as usual
    arrived.fetch_add(1);
    if (HANDLE handle = signalled.load())
        ::SetEvent(handle);
    return TRUE;
}

}  // namespace

struct InterruptSignal::Handler {
    platform::UniqueHandle event;
};

InterruptSignal::InterruptSignal() : handler_(std::make_unique<Handler>()) {
    handler_->event.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    arrived.store(0);
    signalled.store(handler_->event.Get());
    ::SetConsoleCtrlHandler(OnControl, TRUE);
}

InterruptSignal::~InterruptSignal() {
    ::SetConsoleCtrlHandler(OnControl, FALSE);
    signalled.store(nullptr);
}

platform::Waitable InterruptSignal::Source() const {
    return {reinterpret_cast<std::intptr_t>(handler_->event.Get())};
}

int InterruptSignal::Take() {
    // Reset first: an interrupt that comes meanwhile sets the event again.
    ::ResetEvent(handler_->event.Get());
    return arrived.exchange(0);
}

}  // namespace ui
