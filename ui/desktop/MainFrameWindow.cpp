#include "ui/desktop/MainFrameWindow.h"

#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/statusbr.h>

#include <cctype>

#include "ui/Application.h"
#include "ui/FrameWindow.h"
#include "ui/desktop/LabelText.h"
#include "ui/desktop/ToolkitText.h"

namespace ui {

namespace {

// The frame shows nothing but its menu and status bar; this is its first size.
constexpr int kClientWidthDip = 560;
constexpr int kClientHeightDip = 300;
// Width of the status bar's indicator panes after the message pane.
constexpr int kIndicatorPaneDip = 60;

}  // namespace

MainFrameWindow::MainFrameWindow(FrameWindow& frame, std::function<void()> afterUserEvent)
    : wxFrame(nullptr, wxID_ANY, FromUtf8(frame.Menu()->title)),
      frame_(&frame),
      afterUserEvent_(std::move(afterUserEvent)),
      ids_(wxID_HIGHEST + 1) {
    auto* bar = new wxMenuBar();
    for (const MenuItem& entry : frame.Menu()->bar) {
        if (entry.id == 0) {
            bar->Append(BuildMenu(entry.items), FromUtf8(entry.text));
            continue;
        }
        std::string shortcut;
        if (char letter = MnemonicLetter(entry.text))
            shortcut = std::string("Ctrl+") + static_cast<char>(std::toupper(letter));
        auto* menu = new wxMenu();
        AppendCommand(*menu, entry, shortcut);
        barCommands_.push_back({entry.id, bar->GetMenuCount(), shortcut});
        bar->Append(menu, FromUtf8(entry.text));
    }
    SetMenuBar(bar);

    new wxPanel(this);  // the plain client area
    int panes = std::max(frame.PaneCount(), 1);
    CreateStatusBar(panes);
    std::vector<int> widths(static_cast<std::size_t>(panes), FromDIP(kIndicatorPaneDip));
    widths[0] = -1;
    SetStatusWidths(panes, widths.data());
    for (int pane = 0; pane < panes; ++pane)
        SetStatusText(FromUtf8(frame.PaneText(pane)), pane);
    GetStatusBar()->Show(frame.StatusBarVisible());
    SetClientSize(FromDIP(wxSize(kClientWidthDip, kClientHeightDip)));

    if (ids_.LastPrivate() >= ids_.FirstPrivate()) {
        Bind(wxEVT_MENU, &MainFrameWindow::OnMenuCommand, this, ids_.FirstPrivate(),
             ids_.LastPrivate());
    }
    Bind(wxEVT_IDLE, &MainFrameWindow::OnIdle, this);
    Bind(wxEVT_MENU_HIGHLIGHT, &MainFrameWindow::OnHighlight, this);
    Bind(wxEVT_MENU_CLOSE, &MainFrameWindow::OnMenuClose, this);
    Bind(wxEVT_CLOSE_WINDOW, &MainFrameWindow::OnCloseBox, this);
}

wxMenu* MainFrameWindow::BuildMenu(const std::vector<MenuItem>& items) {
    auto* menu = new wxMenu();
    for (const MenuItem& item : items) {
        if (item.id == 0 && !item.items.empty())
            menu->AppendSubMenu(BuildMenu(item.items), FromUtf8(item.text));
        else if (item.id == 0)
            menu->AppendSeparator();
        else
            AppendCommand(*menu, item, {});
    }
    return menu;
}

void MainFrameWindow::AppendCommand(wxMenu& menu, const MenuItem& item,
                                    const std::string& shortcut) {
    int privateId = ids_.ToPrivate(item.id);
    prompts_[privateId] = item.prompt;
    std::string label = item.text;
    if (!shortcut.empty())
        label += "\t" + shortcut;
    menu.Append(privateId, FromUtf8(label), FromUtf8(item.prompt));
}

void MainFrameWindow::OnMenuCommand(wxCommandEvent& event) {
    std::optional<int> systemId = ids_.ToSystem(event.GetId());
    if (frame_ == nullptr || !systemId)
        return;
    frame_->RunCommand(*systemId);
    if (afterUserEvent_)
        afterUserEvent_();
}

void MainFrameWindow::OnIdle(wxIdleEvent& event) {
    event.Skip();
    if (frame_ == nullptr)
        return;
    // The update handler is asked whenever the program has been busy, so the menu,
    // its shortcuts and the titles of commands on the bar are right before anyone looks.
    wxMenuBar* bar = GetMenuBar();
    for (int privateId = ids_.FirstPrivate(); privateId <= ids_.LastPrivate(); ++privateId) {
        int systemId = *ids_.ToSystem(privateId);
        bool enabled = frame_->IsCommandEnabled(systemId);
        if (bar->IsEnabled(privateId) != enabled)
            bar->Enable(privateId, enabled);
        for (const BarCommand& command : barCommands_) {
            if (command.systemId == systemId && bar->IsEnabledTop(command.position) != enabled)
                bar->EnableTop(command.position, enabled);
        }
    }
}

void MainFrameWindow::OnHighlight(wxMenuEvent& event) {
    // The command's prompt while it is highlighted; the program's own text otherwise.
    auto prompt = prompts_.find(event.GetMenuId());
    if (prompt != prompts_.end())
        SetStatusText(FromUtf8(prompt->second), 0);
    else if (frame_ != nullptr)
        SetStatusText(FromUtf8(frame_->PaneText(0)), 0);
}

void MainFrameWindow::OnMenuClose(wxMenuEvent& event) {
    event.Skip();
    if (frame_ != nullptr)
        SetStatusText(FromUtf8(frame_->PaneText(0)), 0);
}

void MainFrameWindow::OnCloseBox(wxCloseEvent& event) {
    if (event.CanVeto())
        event.Veto();
    if (frame_ == nullptr)
        return;
    // Closing the main window ends the program; the frame is destroyed on the way out.
    PostQuitMessage(0);
    if (afterUserEvent_)
        afterUserEvent_();
}

void MainFrameWindow::ShowPane(int pane) {
    if (frame_ == nullptr)
        return;
    wxStatusBar* statusBar = GetStatusBar();
    if (pane < 0) {
        if (statusBar->IsShown() != frame_->StatusBarVisible()) {
            statusBar->Show(frame_->StatusBarVisible());
            SendSizeEvent();
        }
        return;
    }
    if (pane >= statusBar->GetFieldsCount())
        return;
    SetStatusText(FromUtf8(frame_->PaneText(pane)), pane);
    statusBar->Update();
}

void MainFrameWindow::Retire() {
    frame_ = nullptr;
    Hide();
    Destroy();
}

std::string MainFrameWindow::ShownStatusText(int pane) const {
    wxStatusBar* statusBar = GetStatusBar();
    if (pane < 0 || pane >= statusBar->GetFieldsCount())
        return {};
    return ToUtf8(statusBar->GetStatusText(pane));
}

bool MainFrameWindow::ShownCommandEnabled(int systemId) const {
    std::optional<int> privateId = ids_.FindPrivate(systemId);
    return privateId && GetMenuBar()->IsEnabled(*privateId);
}

std::string MainFrameWindow::BarCommandShortcut(int systemId) const {
    for (const BarCommand& command : barCommands_) {
        if (command.systemId == systemId)
            return command.shortcut;
    }
    return {};
}

}  // namespace ui
