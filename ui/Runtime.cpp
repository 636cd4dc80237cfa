#include "ui/Runtime.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/Clock.h"
#include "ui/Backend.h"
#include "ui/Dialog.h"

namespace ui {

Runtime& Runtime::Get() {
    static Runtime runtime;
    return runtime;
}

Backend& Runtime::UseBackend() const {
    if (backend_ == nullptr) {
        std::fputs("No user-interface backend is installed.\n", stderr);
        std::abort();
    }
    return *backend_;
}

Backend* Runtime::SetBackend(Backend* backend) {
    Backend* previous = backend_;
    backend_ = backend;
    return previous;
}

void Runtime::PostQuit(int code) {
    if (!quitPosted_)
        quitCode_ = code;
    quitPosted_ = true;
    if (backend_ != nullptr)
        backend_->Wake();
}

std::uint64_t Runtime::NowMs() const {
    return platform::GetClock().MonotonicMs();
}

bool Runtime::DispatchDueTimers() {
    bool fired = timers_.DispatchDue(NowMs());
    FlushUpdates();
    return fired;
}

void Runtime::FlushUpdates() {
    if (backend_ == nullptr)
        return;
    // A handler may open or close dialogs while we draw; work on a copy.
    std::vector<Dialog*> dialogs = modalStack_;
    for (Dialog* dialog : dialogs) {
        if (std::find(modalStack_.begin(), modalStack_.end(), dialog) == modalStack_.end())
            continue;
        if (dialog->TakeDirty())
            backend_->DialogUpdated(*dialog);
    }
}

void Runtime::PopModal(Dialog* dialog) {
    auto it = std::find(modalStack_.begin(), modalStack_.end(), dialog);
    if (it != modalStack_.end())
        modalStack_.erase(it);
}

void Runtime::Reset() {
    quitPosted_ = false;
    quitCode_ = 0;
    timers_.Clear();
    modalStack_.clear();
}

}  // namespace ui
