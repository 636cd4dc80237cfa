#include "ui/FrameWindow.h"

#include "ui/Application.h"
#include "ui/Backend.h"
#include "ui/Runtime.h"

namespace ui {

namespace {
// Commands the framework itself carries out.
constexpr int kExitCommand = 57665;
constexpr int kStatusBarCommand = 59393;
}  // namespace

FrameWindow::~FrameWindow() {
    Destroy();
}

bool FrameWindow::Create(const MenuTemplate& menu, int paneCount) {
    menu_ = &menu;
    panes_.assign(static_cast<std::size_t>(paneCount > 0 ? paneCount : 1), std::string());
    panes_[0] = menu.idleText;
    created_ = true;
    Runtime::Get().UseBackend().FrameCreated(*this);
    return true;
}

void FrameWindow::Destroy() {
    if (!created_)
        return;
    created_ = false;
    Runtime& runtime = Runtime::Get();
    runtime.Timers().KillAll(this);
    if (runtime.HasBackend())
        runtime.UseBackend().FrameDestroyed(*this);
    if (runtime.App() != nullptr && runtime.App()->mainWindow == this) {
        runtime.App()->mainWindow = nullptr;
    }
}

bool FrameWindow::RunCommand(int id) {
    if (!created_ || !IsCommandEnabled(id))
        return false;
    if (id == kExitCommand) {
        PostQuitMessage(0);
    } else if (id == kStatusBarCommand) {
        ShowStatusBar(!statusBarVisible_);
    } else {
        OnCommand(id);
    }
    Runtime::Get().FlushUpdates();
    return true;
}

void FrameWindow::SetPaneText(int pane, std::string_view text) {
    if (pane < 0 || static_cast<std::size_t>(pane) >= panes_.size())
        return;
    panes_[static_cast<std::size_t>(pane)] = text;
    if (created_)
        Runtime::Get().UseBackend().FrameStatusChanged(*this, pane);
}

std::string FrameWindow::PaneText(int pane) const {
    if (pane < 0 || static_cast<std::size_t>(pane) >= panes_.size())
        return {};
    return panes_[static_cast<std::size_t>(pane)];
}

void FrameWindow::ShowStatusBar(bool show) {
    statusBarVisible_ = show;
    if (created_)
        Runtime::Get().UseBackend().FrameStatusChanged(*this, -1);
}

}  // namespace ui
