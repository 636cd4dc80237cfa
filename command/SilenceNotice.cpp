#include "command/SilenceNotice.h"

#include "platform/Clock.h"
#include "ui/Application.h"
#include "ui/FrameWindow.h"
#include "ui/Runtime.h"

namespace {

ui::FrameWindow* StatusLine() {
    ui::Application* app = ui::GetApp();
    return app != nullptr && app->mainWindow != nullptr && app->mainWindow->IsWindowAlive()
               ? app->mainWindow
               : nullptr;
}

}  // namespace

void SilenceNotice::Start() {
    lastHeardMs_ = platform::GetClock().MonotonicMs();
}

void SilenceNotice::Heard() {
    Start();
    TakeDown();
}

void SilenceNotice::Check() {
    const std::uint64_t silentMs = platform::GetClock().MonotonicMs() - lastHeardMs_;
    ui::FrameWindow* statusLine = StatusLine();
    if (shown_ || silentMs < kNoticeMs || statusLine == nullptr || ui::Runtime::Get().QuitPosted())
        return;
    shown_ = true;
    statusBefore_ = statusLine->PaneText(0);
    statusLine->SetPaneText(0, "The receiver has not answered for " +
                                   std::to_string(silentMs / 1000) + " seconds. " + cancelDoes_);
}

void SilenceNotice::TakeDown() {
    if (!shown_)
        return;
    shown_ = false;
    // A program that is ending says nothing more.
    if (ui::Runtime::Get().QuitPosted())
        return;
    if (ui::FrameWindow* statusLine = StatusLine())
        statusLine->SetPaneText(0, statusBefore_);
}
