#include "ui/desktop/DesktopBackend.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/init.h>
#include <wx/log.h>

#include <algorithm>
#include <filesystem>

#include "ui/Dialog.h"
#include "ui/FileOpenDialog.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBoxFlags.h"
#include "ui/Runtime.h"
#include "ui/desktop/LabelText.h"
#include "ui/desktop/MainFrameWindow.h"
#include "ui/desktop/MessageBoxWindow.h"
#include "ui/desktop/TemplateDialogWindow.h"
#include "ui/desktop/ToolkitText.h"

namespace ui {

namespace {

// The toolkit's application object; the program's own start-up runs elsewhere.
class DesktopApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

bool started = false;

}  // namespace

std::unique_ptr<DesktopBackend> DesktopBackend::Start(int& argc, char** argv) {
    if (started)
        return nullptr;
    wxApp::SetInstance(new DesktopApp());
    if (!wxEntryStart(argc, argv))
        return nullptr;
    started = true;
    wxTheApp->SetExitOnFrameDelete(false);
    // Toolkit complaints go to the error output, never into a window of their own.
    delete wxLog::SetActiveTarget(new wxLogStderr());
    return std::unique_ptr<DesktopBackend>(new DesktopBackend());
}

DesktopBackend::DesktopBackend()
    : sources_([this] { Work(); }),
      belowClock_(platform::GetClock()),
      clock_(belowClock_, [this] { RepaintWhileBusy(); }),
      previousClock_(platform::SetClock(&clock_)) {}

DesktopBackend::~DesktopBackend() {
    platform::SetClock(previousClock_);
    for (auto& [dialog, window] : dialogs_)
        window->Retire();
    for (auto& [frame, window] : frames_)
        window->Retire();
    dialogs_.clear();
    frames_.clear();
    wxEntryCleanup();
}

void DesktopBackend::Work() {
    ++dispatchRounds_;
    Runtime::Get().DispatchDueTimers();
    loops_.EndInnermostIfDone();
    Rearm();
    // The toolkit's idle pass (menu states, deferred deletions) follows our sources too.
    wxWakeUpIdle();
}

void DesktopBackend::Rearm() {
    if (std::optional<std::uint64_t> next = Runtime::Get().Timers().NextDue())
        sources_.ArmAt(*next);
}

void DesktopBackend::Wake() {
    sources_.ArmAt(Runtime::Get().NowMs());
}

void DesktopBackend::AfterUserEvent() {
    Runtime::Get().FlushUpdates();
    // A value that failed its check leaves the focus in its box once the box is answered.
    auto owner = dialogs_.find(dynamic_cast<const Dialog*>(lastBoxOwner_));
    if (lastBoxOwner_ != nullptr && owner != dialogs_.end() && owner->first->FocusId() >= 0)
        owner->second->FocusControl(owner->first->FocusId());
    lastBoxOwner_ = nullptr;
    loops_.EndInnermostIfDone();
    Rearm();
}

void DesktopBackend::RunToolkitLoop(const std::function<bool()>& done, bool mainLoop) {
    PresentPendingDialogs();
    Rearm();
    if (done())
        return;
    ModalLoopStack::Loop loop;
    loop.done = done;
    if (mainLoop) {
        loop.end = [] { wxTheApp->ExitMainLoop(); };
        ModalLoopStack::Scope scope(loops_, loop);
        wxTheApp->MainLoop();
    } else {
        wxGUIEventLoop eventLoop;
        loop.end = [&eventLoop] { eventLoop.ScheduleExit(); };
        ModalLoopStack::Scope scope(loops_, loop);
        eventLoop.Run();
    }
    Wake();  // the loop below may be finished as well
}

void DesktopBackend::RunModalLoop(const std::function<bool()>& done) {
    RunToolkitLoop(done, false);
}

void DesktopBackend::RunMainLoop() {
    RunToolkitLoop([] { return Runtime::Get().QuitPosted(); }, true);
}

void DesktopBackend::PresentPendingDialogs() {
    for (const Dialog* dialog : dialogOrder_) {
        TemplateDialogWindow* window = dialogs_.at(dialog);
        if (!window->Presented())
            window->Present();
    }
}

void DesktopBackend::RepaintWhileBusy() {
    wxEventLoopBase* active = wxEventLoopBase::GetActive();
    if (repainting_ || (active != nullptr && active->IsYielding()))
        return;
    repainting_ = true;
    sources_.Hold();
    if (active != nullptr) {
        active->YieldFor(wxEVT_CATEGORY_UI);
    } else {
        wxGUIEventLoop temporary;
        wxEventLoopActivator activate(&temporary);
        temporary.YieldFor(wxEVT_CATEGORY_UI);
    }
    sources_.Release();
    repainting_ = false;
}

wxWindow* DesktopBackend::WindowFor(Window* window) const {
    for (const auto& [dialog, view] : dialogs_) {
        if (dialog == window)
            return view;
    }
    for (const auto& [frame, view] : frames_) {
        if (frame == window)
            return view;
    }
    return nullptr;
}

wxWindow* DesktopBackend::TopWindow() const {
    for (auto it = dialogOrder_.rbegin(); it != dialogOrder_.rend(); ++it) {
        TemplateDialogWindow* window = dialogs_.at(*it);
        if (window->Presented())
            return window;
    }
    return frames_.empty() ? nullptr : frames_.begin()->second;
}

void DesktopBackend::DialogOpened(Dialog& dialog) {
    wxWindow* parent = WindowFor(dialog.Parent());
    if (parent == nullptr || !parent->IsShown())
        parent = TopWindow();
    dialogs_[&dialog] = new TemplateDialogWindow(parent, dialog, [this] { AfterUserEvent(); });
    dialogOrder_.push_back(&dialog);
}

void DesktopBackend::DialogUpdated(Dialog& dialog) {
    auto found = dialogs_.find(&dialog);
    if (found != dialogs_.end())
        found->second->Sync();
}

void DesktopBackend::DialogClosed(Dialog& dialog) {
    auto found = dialogs_.find(&dialog);
    if (found == dialogs_.end())
        return;
    found->second->Retire();
    dialogs_.erase(found);
    std::erase(dialogOrder_, &dialog);
    if (lastBoxOwner_ == &dialog)
        lastBoxOwner_ = nullptr;
    Wake();
}

void DesktopBackend::FrameCreated(FrameWindow& frame) {
    auto* window = new MainFrameWindow(frame, [this] { AfterUserEvent(); });
    frames_[&frame] = window;
    wxTheApp->SetTopWindow(window);
    window->Show();
}

void DesktopBackend::FrameStatusChanged(FrameWindow& frame, int pane) {
    auto found = frames_.find(&frame);
    if (found != frames_.end())
        found->second->ShowPane(pane);
}

void DesktopBackend::FrameDestroyed(FrameWindow& frame) {
    auto found = frames_.find(&frame);
    if (found == frames_.end())
        return;
    found->second->Retire();
    frames_.erase(found);
    if (lastBoxOwner_ == &frame)
        lastBoxOwner_ = nullptr;
}

int DesktopBackend::ShowMessageBox(Window* owner, const std::string& text,
                                   const std::string& caption, unsigned flags) {
    PresentPendingDialogs();
    Runtime::Get().FlushUpdates();
    Rearm();
    wxWindow* parent = WindowFor(owner);
    if (parent == nullptr || !parent->IsShown())
        parent = TopWindow();
    MessageBoxWindow box(parent, text, caption, flags);

    ModalLoopStack::Loop loop;
    loop.done = [] { return Runtime::Get().QuitPosted(); };
    loop.end = [&box] { box.Cancel(); };
    int answer = 0;
    {
        ModalLoopStack::Scope scope(loops_, loop);
        openBoxes_.push_back(&box);
        answer = box.Run();
        openBoxes_.pop_back();
    }
    lastBoxOwner_ = owner;
    Wake();
    return Runtime::Get().QuitPosted() ? box.CancelAnswer() : answer;
}

unsigned DesktopBackend::ShownBoxIcon() const {
    return openBoxes_.empty() ? 0 : openBoxes_.back()->ShownIcon();
}

std::optional<std::string> DesktopBackend::ShowFileOpen(const FileOpenRequest& request) {
    PresentPendingDialogs();
    Runtime::Get().FlushUpdates();
    Rearm();
    wxWindow* parent = WindowFor(request.owner);
    if (parent == nullptr || !parent->IsShown())
        parent = TopWindow();
    std::filesystem::path proposed(request.proposedName);
    wxString wildcard = FromUtf8(WildcardFromFilter(request.filter));
    if (wildcard.empty())
        wildcard = wxFileSelectorDefaultWildcardStr;
    wxFileDialog dialog(parent, request.title.empty() ? wxString("Open") : FromUtf8(request.title),
                        FromUtf8(proposed.parent_path().string()),
                        FromUtf8(proposed.filename().string()), wildcard, wxFD_OPEN);

    ModalLoopStack::Loop loop;
    loop.done = [] { return Runtime::Get().QuitPosted(); };
    loop.end = [&dialog] { dialog.EndModal(wxID_CANCEL); };
    int answer = 0;
    {
        ModalLoopStack::Scope scope(loops_, loop);
        answer = dialog.ShowModal();
    }
    Wake();
    if (Runtime::Get().QuitPosted() || answer != wxID_OK)
        return std::nullopt;
    return ToUtf8(dialog.GetPath());
}

// On this toolkit's loop every source is a file descriptor.
void DesktopBackend::WatchInput(platform::Waitable source, std::function<void()> onReadable) {
    sources_.Watch(static_cast<int>(source.native), std::move(onReadable), [this] {
        Runtime::Get().FlushUpdates();
        loops_.EndInnermostIfDone();
        Rearm();
        wxWakeUpIdle();
    });
}

void DesktopBackend::UnwatchInput(platform::Waitable source) {
    sources_.Unwatch(static_cast<int>(source.native));
}

std::string DesktopBackend::ShownControlText(const Dialog& dialog, int id) const {
    auto found = dialogs_.find(&dialog);
    return found != dialogs_.end() ? found->second->ShownText(id) : std::string();
}

bool DesktopBackend::ShownControlEnabled(const Dialog& dialog, int id) const {
    auto found = dialogs_.find(&dialog);
    return found != dialogs_.end() && found->second->ShownEnabled(id);
}

std::vector<int> DesktopBackend::ControlsCutShort(const Dialog& dialog) const {
    auto found = dialogs_.find(&dialog);
    return found != dialogs_.end() ? found->second->ControlsCutShort() : std::vector<int>();
}

std::string DesktopBackend::ShownStatusText(const FrameWindow& frame, int pane) const {
    auto found = frames_.find(&frame);
    return found != frames_.end() ? found->second->ShownStatusText(pane) : std::string();
}

bool DesktopBackend::ShownCommandEnabled(const FrameWindow& frame, int systemId) const {
    auto found = frames_.find(&frame);
    return found != frames_.end() && found->second->ShownCommandEnabled(systemId);
}

std::string DesktopBackend::BarCommandShortcut(const FrameWindow& frame, int systemId) const {
    auto found = frames_.find(&frame);
    return found != frames_.end() ? found->second->BarCommandShortcut(systemId) : std::string();
}

}  // namespace ui
