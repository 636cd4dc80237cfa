#include "ui/win32/Win32Backend.h"

#include <algorithm>
#include <filesystem>

#include "ui/Dialog.h"
#include "ui/FileOpenDialog.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBoxFlags.h"
#include "ui/Runtime.h"
#include "ui/win32/Win32DialogWindow.h"
#include "ui/win32/Win32FrameWindow.h"
// The system's headers last: they define IDOK and friends as macros.
#include "platform/win32/SystemApi.h"

#include <commctrl.h>
#include <commdlg.h>
#include "platform/win32/WideText.h"

namespace ui {

namespace {

constexpr wchar_t kLoopClass[] = L"TarnwickLoop";
constexpr UINT_PTR kDueTimer = 1;
constexpr UINT_PTR kInputPollTimer = 2;
constexpr UINT kWakeMessage = WM_APP + 1;
// How often watched input is looked at while a system box or file dialog is up.
constexpr UINT kInputPollMs = 10;
// Paint messages handled at most in one repaint during a busy wait.
constexpr int kMostPaintsPerRepaint = 64;
// The file dialog's room for the path the user picks, in UTF-16 units.
constexpr std::size_t kFileBufferUnits = 32768;

bool started = false;

LRESULT CALLBACK LoopProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Backend*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && (message == WM_TIMER || message == kWakeMessage)) {
        self->OnLoopMessage(message, wParam);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Catches the first top-level dialog window the system makes on this thread while it
// lives: the message box or file dialog being opened, so that a posted quit can close it.
class SystemDialogCatch {
  public:
    SystemDialogCatch()
        : previous_(current_),
          hook_(::SetWindowsHookExW(WH_CBT, &Hook, nullptr, ::GetCurrentThreadId())) {
        current_ = this;
    }
    ~SystemDialogCatch() {
        if (hook_ != nullptr)
            ::UnhookWindowsHookEx(hook_);
        current_ = previous_;
    }
    SystemDialogCatch(const SystemDialogCatch&) = delete;
    SystemDialogCatch& operator=(const SystemDialogCatch&) = delete;

    HWND Window() const { return window_; }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND && current_ != nullptr && current_->window_ == nullptr) {
            auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
            auto window = reinterpret_cast<HWND>(wParam);
            wchar_t name[16] = {};
            if ((create->lpcs->style & WS_CHILD) == 0 &&
                ::GetClassNameW(window, name, static_cast<int>(std::size(name))) > 0 &&
                std::wstring_view(name) == L"#32770") {
                current_->window_ = window;
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline thread_local SystemDialogCatch* current_ = nullptr;
    SystemDialogCatch* previous_;
    HHOOK hook_;
    HWND window_ = nullptr;
};

}  // namespace

std::unique_ptr<Win32Backend> Win32Backend::Start() {
    if (started)
        return nullptr;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    std::unique_ptr<Win32Backend> backend(new Win32Backend());
    if (backend->loopWindow_ == nullptr)
        return nullptr;
    started = true;
    return backend;
}

Win32Backend::Win32Backend()
    : belowClock_(platform::GetClock()),
      clock_(belowClock_, [this] { RepaintWhileBusy(); }),
      previousClock_(platform::SetClock(&clock_)) {
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW loop{};
    loop.cbSize = sizeof loop;
    loop.lpfnWndProc = LoopProcedure;
    loop.hInstance = module;
    loop.lpszClassName = kLoopClass;
    ::RegisterClassExW(&loop);
    loopWindow_ = ::CreateWindowExW(0, kLoopClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    module, this);
}

Win32Backend::~Win32Backend() {
    platform::SetClock(previousClock_);
    for (auto& [dialog, window] : dialogs_)
        window->Retire();
    for (auto& [frame, window] : frames_)
        window->Retire();
    dialogs_.clear();
    frames_.clear();
    if (loopWindow_ != nullptr) {
        ::SetWindowLongPtrW(loopWindow_, GWLP_USERDATA, 0);
        ::DestroyWindow(loopWindow_);
    }
    started = false;
}

void Win32Backend::OnLoopMessage(unsigned message, std::uintptr_t wParam) {
    if (message == kWakeMessage) {
        wakePosted_ = false;
        Work();
    } else if (wParam == kDueTimer) {
        Work();
    } else if (wParam == kInputPollTimer) {
        PollInput();
    }
}

void Win32Backend::Work() {
    Runtime::Get().DispatchDueTimers();
    loops_.EndInnermostIfDone();
    Rearm();
}

void Win32Backend::Rearm() {
    if (loopWindow_ == nullptr)
        return;
    std::optional<std::uint64_t> next = Runtime::Get().Timers().NextDue();
    if (!next) {
        ::KillTimer(loopWindow_, kDueTimer);
        return;
    }
    std::uint64_t now = Runtime::Get().NowMs();
    std::uint64_t delay = *next > now ? *next - now : 0;
    ::SetTimer(loopWindow_, kDueTimer,
               static_cast<UINT>(std::clamp<std::uint64_t>(delay, USER_TIMER_MINIMUM, 0x7FFFFFFF)),
               nullptr);
    if (delay == 0)
        Wake();
}

void Win32Backend::Wake() {
    if (loopWindow_ != nullptr && !wakePosted_)
        wakePosted_ = ::PostMessageW(loopWindow_, kWakeMessage, 0, 0) != 0;
}

void Win32Backend::AfterUserEvent() {
    Runtime::Get().FlushUpdates();
    // A value that failed its check leaves the focus in its box once the box is answered.
    auto owner = dialogs_.find(dynamic_cast<const Dialog*>(lastBoxOwner_));
    if (lastBoxOwner_ != nullptr && owner != dialogs_.end() && owner->first->FocusId() >= 0)
        owner->second->FocusControl(owner->first->FocusId());
    lastBoxOwner_ = nullptr;
    loops_.EndInnermostIfDone();
    Rearm();
}

void Win32Backend::AfterInput() {
    Runtime::Get().FlushUpdates();
    loops_.EndInnermostIfDone();
    Rearm();
}

void Win32Backend::PollInput() {
    std::vector<std::pair<platform::Waitable, std::function<void()>>> sources = watched_;
    for (auto& [source, onReadable] : sources) {
        auto handle = reinterpret_cast<HANDLE>(source.native);
        bool stillWatched = std::any_of(watched_.begin(), watched_.end(),
                                        [&](const auto& entry) { return entry.first == source; });
        if (stillWatched && ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0)
            onReadable();
    }
    AfterInput();
}

void Win32Backend::Idle() {
    for (auto& [frame, window] : frames_)
        window->Idle();
}

void Win32Backend::RunLoop(const std::function<bool()>& done) {
    PresentPendingDialogs();
    Rearm();
    if (done())
        return;
    ModalLoopStack::Loop loop;
    loop.done = done;
    loop.end = [this] { Wake(); };
    {
        ModalLoopStack::Scope scope(loops_, loop);
        while (!loop.ending)
            PumpOnce(loop);
    }
    Wake();  // the loop below may be finished as well
}

void Win32Backend::PumpOnce(const ModalLoopStack::Loop& loop) {
    std::vector<HANDLE> handles;
    for (const auto& [source, onReadable] : watched_) {
        if (handles.size() + 1 < MAXIMUM_WAIT_OBJECTS)
            handles.push_back(reinterpret_cast<HANDLE>(source.native));
    }
    const auto count = static_cast<DWORD>(handles.size());
    DWORD ready = ::MsgWaitForMultipleObjectsEx(count, handles.data(), INFINITE, QS_ALLINPUT,
                                                MWMO_INPUTAVAILABLE);
    if (ready < WAIT_OBJECT_0 + count) {
        std::function<void()> onReadable = watched_[ready - WAIT_OBJECT_0].second;  // may unwatch
        onReadable();
        AfterInput();
    } else if (ready == WAIT_FAILED) {
        ::Sleep(1);  // a closed handle must not make the loop spin
    }
    // Messages are looked at after every input too, so a source that stays ready cannot
    // starve the windows and timers.
    MSG message;
    while (!loop.ending && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            continue;  // the framework posts its quit its own way
        bool handled = false;
        for (auto it = dialogOrder_.rbegin(); it != dialogOrder_.rend() && !handled; ++it)
            handled = dialogs_.at(*it)->PreTranslate(message);
        if (!handled) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        loops_.EndInnermostIfDone();
    }
    if (!loop.ending)
        Idle();
}

void Win32Backend::RunModalLoop(const std::function<bool()>& done) {
    RunLoop(done);
}

void Win32Backend::RunMainLoop() {
    RunLoop([] { return Runtime::Get().QuitPosted(); });
}

template <class Call>
auto Win32Backend::RunSystemLoop(Call&& call, std::uintptr_t cancelCommand) {
    PresentPendingDialogs();
    Runtime::Get().FlushUpdates();
    Rearm();
    SystemDialogCatch caught;
    ModalLoopStack::Loop loop;
    loop.done = [] { return Runtime::Get().QuitPosted(); };
    loop.end = [&caught, cancelCommand] {
        if (caught.Window() != nullptr)
            ::PostMessageW(caught.Window(), WM_COMMAND, cancelCommand, 0);
    };
    if (++systemLoops_ == 1 && !watched_.empty())
        ::SetTimer(loopWindow_, kInputPollTimer, kInputPollMs, nullptr);
    auto result = [&] {
        ModalLoopStack::Scope scope(loops_, loop);
        return call();
    }();
    if (--systemLoops_ == 0)
        ::KillTimer(loopWindow_, kInputPollTimer);
    Wake();
    return result;
}

void Win32Backend::PresentPendingDialogs() {
    for (const Dialog* dialog : dialogOrder_) {
        Win32DialogWindow& window = *dialogs_.at(dialog);
        if (window.Presented() || window.Handle() == nullptr)
            continue;
        // Modal: no other window of ours takes input while it is up.
        std::vector<HWND>& off = disabled_[dialog];
        auto disable = [&off](HWND other) {
            if (other != nullptr && ::IsWindowEnabled(other)) {
                ::EnableWindow(other, FALSE);
                off.push_back(other);
            }
        };
        for (auto& [frame, frameWindow] : frames_)
            disable(frameWindow->Handle());
        for (auto& [other, otherWindow] : dialogs_) {
            if (other != dialog && otherWindow->Presented())
                disable(otherWindow->Handle());
        }
        window.Present();
    }
}

void Win32Backend::RepaintWhileBusy() {
    if (repainting_)
        return;
    repainting_ = true;
    MSG message;
    for (int paints = 0; paints < kMostPaintsPerRepaint &&
                         ::PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE);
         ++paints) {
        ::DispatchMessageW(&message);
    }
    repainting_ = false;
}

HWND Win32Backend::WindowOf(const Window* window) const {
    for (const auto& [dialog, view] : dialogs_) {
        if (dialog == window)
            return view->Handle();
    }
    for (const auto& [frame, view] : frames_) {
        if (frame == window)
            return view->Handle();
    }
    return nullptr;
}

HWND Win32Backend::TopWindow() const {
    for (auto it = dialogOrder_.rbegin(); it != dialogOrder_.rend(); ++it) {
        const Win32DialogWindow& window = *dialogs_.at(*it);
        if (window.Presented())
            return window.Handle();
    }
    return frames_.empty() ? nullptr : frames_.begin()->second->Handle();
}

void Win32Backend::DialogOpened(Dialog& dialog) {
    HWND owner = WindowOf(dialog.Parent());
    if (owner == nullptr || !::IsWindowVisible(owner))
        owner = TopWindow();
    dialogs_[&dialog] =
        std::make_unique<Win32DialogWindow>(dialog, owner, [this] { AfterUserEvent(); });
    dialogOrder_.push_back(&dialog);
}

void Win32Backend::DialogUpdated(Dialog& dialog) {
    auto found = dialogs_.find(&dialog);
    if (found != dialogs_.end())
        found->second->Sync();
}

void Win32Backend::DialogClosed(Dialog& dialog) {
    auto found = dialogs_.find(&dialog);
    if (found == dialogs_.end())
        return;
    // The windows below take input again before this one goes, so one of them is active.
    std::vector<HWND>& off = disabled_[&dialog];
    for (auto it = off.rbegin(); it != off.rend(); ++it)
        ::EnableWindow(*it, TRUE);
    disabled_.erase(&dialog);
    found->second->Retire();
    dialogs_.erase(found);
    std::erase(dialogOrder_, &dialog);
    if (lastBoxOwner_ == &dialog)
        lastBoxOwner_ = nullptr;
    Wake();
}

void Win32Backend::FrameCreated(FrameWindow& frame) {
    frames_[&frame] = std::make_unique<Win32FrameWindow>(frame, [this] { AfterUserEvent(); });
}

void Win32Backend::FrameStatusChanged(FrameWindow& frame, int pane) {
    auto found = frames_.find(&frame);
    if (found != frames_.end())
        found->second->ShowPane(pane);
}

void Win32Backend::FrameDestroyed(FrameWindow& frame) {
    auto found = frames_.find(&frame);
    if (found == frames_.end())
        return;
    found->second->Retire();
    frames_.erase(found);
    if (lastBoxOwner_ == &frame)
        lastBoxOwner_ = nullptr;
}

int Win32Backend::ShowMessageBox(Window* owner, const std::string& text,
                                 const std::string& caption, unsigned flags) {
    const bool yesNo = (flags & MB_BUTTONS_MASK) == MB_YESNO;
    const int cancelAnswer = yesNo ? IDNO : IDCANCEL;
    HWND parent = nullptr;
    UINT style = flags & (MB_BUTTONS_MASK | MB_ICON_MASK);
    std::wstring wideText = platform::WideFromUtf8(text);
    std::wstring wideCaption = platform::WideFromUtf8(caption);
    int answer = RunSystemLoop(
        [&] {
            // Over whatever is on top, so that it stays modal to every window of ours.
            parent = TopWindow();
            return ::MessageBoxW(parent, wideText.c_str(), wideCaption.c_str(),
                                 style | (parent == nullptr ? MB_TASKMODAL : 0));
        },
        static_cast<std::uintptr_t>(cancelAnswer));
    lastBoxOwner_ = owner;
    if (Runtime::Get().QuitPosted() || answer == 0)
        return cancelAnswer;
    return answer;
}

std::optional<std::string> Win32Backend::ShowFileOpen(const FileOpenRequest& request) {
    std::wstring filter;
    for (const auto& [name, pattern] : ParseFileFilter(request.filter)) {
        filter += platform::WideFromUtf8(name) + L'\0';
        filter += platform::WideFromUtf8(pattern) + L'\0';
    }
    if (filter.empty())
        filter = std::wstring(L"All Files (*.*)") + L'\0' + L"*.*" + L'\0';
    filter += L'\0';
    std::filesystem::path proposed(platform::WideFromUtf8(request.proposedName));
    std::wstring file(kFileBufferUnits, L'\0');
    std::wstring name = proposed.filename().wstring();
    std::copy_n(name.begin(), std::min(name.size(), file.size() - 1), file.begin());
    std::wstring folder = proposed.parent_path().wstring();
    std::wstring title = platform::WideFromUtf8(request.title);
    std::wstring extension = platform::WideFromUtf8(request.defaultExtension);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;

    // orvane.cfg, orvane.ini and DEBUG.OUT live in the working folder: browsing must not
    // move it.
    std::error_code ignored;
    std::filesystem::path workingFolder = std::filesystem::current_path(ignored);
    BOOL chosen = RunSystemLoop(
        [&] {
            dialog.hwndOwner = TopWindow();
            return ::GetOpenFileNameW(&dialog);
        },
        IDCANCEL);
    if (!workingFolder.empty())
        std::filesystem::current_path(workingFolder, ignored);
    if (Runtime::Get().QuitPosted() || !chosen)
        return std::nullopt;
    return platform::Utf8FromWide(file.c_str());
}

void Win32Backend::WatchInput(platform::Waitable source, std::function<void()> onReadable) {
    UnwatchInput(source);
    watched_.emplace_back(source, std::move(onReadable));
    if (systemLoops_ > 0)
        ::SetTimer(loopWindow_, kInputPollTimer, kInputPollMs, nullptr);
}

void Win32Backend::UnwatchInput(platform::Waitable source) {
    std::erase_if(watched_, [&](const auto& entry) { return entry.first == source; });
}

std::string Win32Backend::ShownControlText(const Dialog& dialog, int id) const {
    auto found = dialogs_.find(&dialog);
    return found != dialogs_.end() ? found->second->ShownText(id) : std::string();
}

std::vector<int> Win32Backend::ControlsCutShort(const Dialog& dialog) const {
    auto found = dialogs_.find(&dialog);
    return found != dialogs_.end() ? found->second->ControlsCutShort() : std::vector<int>();
}

std::string Win32Backend::ShownStatusText(const FrameWindow& frame, int pane) const {
    auto found = frames_.find(&frame);
    return found != frames_.end() ? found->second->ShownStatusText(pane) : std::string();
}

bool Win32Backend::ShownCommandEnabled(const FrameWindow& frame, int id) const {
    auto found = frames_.find(&frame);
    return found != frames_.end() && found->second->ShownCommandEnabled(id);
}

}  // namespace ui
