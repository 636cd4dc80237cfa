#include "ui/win32/Win32DialogWindow.h"

#include <algorithm>

#include "ui/Dialog.h"
#include "ui/win32/InMemoryDialogTemplate.h"
#include "ui/win32/WindowText.h"
// The system's headers last: they define IDOK and friends as macros.
#include "platform/win32/SystemApi.h"

#include <commctrl.h>

namespace ui {

namespace {

INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    auto* self = reinterpret_cast<Win32DialogWindow*>(::GetWindowLongPtrW(window, DWLP_USER));
    return self != nullptr && self->OnMessage(window, message, wParam, lParam) ? TRUE : FALSE;
}

HICON IconNamed(const std::string& name) {
    LPSTR system = IDI_INFORMATION;
    if (name == "warning" || name == "exclamation")
        system = IDI_WARNING;
    else if (name == "error" || name == "stop")
        system = IDI_ERROR;
    else if (name == "question")
        system = IDI_QUESTION;
    else if (name == "application") {
        // The program's own icon when its resources carry one.
        if (HICON own = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)))
            return own;
        system = IDI_APPLICATION;
    }
    return ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(system));
}

bool IsEmpty(const Rect& rect) {
    return rect.width <= 0 || rect.height <= 0;
}

// Room a control's frame takes around its text, in pixels at 96 dpi.
constexpr int kButtonPaddingPx = 6;
constexpr int kCheckGapPx = 4;
constexpr int kGroupLabelIndentPx = 16;
constexpr int kEditBorderPx = 2;

}  // namespace

Win32DialogWindow::Win32DialogWindow(Dialog& dialog, HWND owner,
                                     std::function<void()> afterUserEvent)
    : dialog_(&dialog), afterUserEvent_(std::move(afterUserEvent)) {
    InMemoryDialogTemplate bytes(dialog.Template());
    window_ = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr),
                                           static_cast<LPCDLGTEMPLATEW>(bytes.Data()), owner,
                                           DialogProcedure, reinterpret_cast<LPARAM>(this));
    if (window_ == nullptr)
        return;
    // The dialog manager made the controls in the template's order.
    HWND child = ::GetWindow(window_, GW_CHILD);
    for (const ControlTemplate& source : dialog.Template().controls) {
        if (child == nullptr)
            break;
        controls_.push_back({&source, child, source.text});
        if (source.kind == ControlKind::Icon)
            ::SendMessageW(child, STM_SETICON, reinterpret_cast<WPARAM>(IconNamed(source.text)), 0);
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
}

Win32DialogWindow::~Win32DialogWindow() {
    Retire();
}

bool Win32DialogWindow::OnMessage(HWND, unsigned message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return false;  // the focus is placed when the dialog is shown
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return true;
        case WM_CLOSE:
            Act([](Dialog& dialog) { dialog.CloseBox(); });
            return true;
        default:
            return false;
    }
}

void Win32DialogWindow::OnCommand(int id, int code, HWND control) {
    // Numbers above 0x7FFF arrive cut to 16 bits; the template's own number counts.
    for (const Control& known : controls_) {
        if (known.window == control && known.source->id >= 0)
            id = known.source->id;
    }
    if (code == EN_CHANGE) {
        if (syncing_ || control == nullptr)
            return;
        std::string typed = ReadWindowText(control);
        Act([id, &typed](Dialog& dialog) { dialog.TypeText(id, typed); });
        return;
    }
    // A click, or Enter that the dialog manager turned into its default button (or IDOK).
    if (code == BN_CLICKED)
        Act([id](Dialog& dialog) { dialog.ClickButton(id); });
}

void Win32DialogWindow::Act(const std::function<void(Dialog&)>& action) {
    if (dialog_ == nullptr)
        return;
    action(*dialog_);
    if (afterUserEvent_)
        afterUserEvent_();
}

bool Win32DialogWindow::PreTranslate(MSG& message) {
    if (window_ == nullptr || dialog_ == nullptr)
        return false;
    if (message.hwnd != window_ && !::IsChild(window_, message.hwnd))
        return false;
    // Escape lands in OnCancel whatever the state of a Cancel button.
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
        Act([](Dialog& dialog) { dialog.PressEscape(); });
        return true;
    }
    return ::IsDialogMessageW(window_, &message) != 0;
}

void Win32DialogWindow::Present() {
    if (window_ == nullptr)
        return;
    Sync();
    // Centred over the owner (or the screen), and kept on the owner's monitor.
    RECT own;
    HWND owner = ::GetWindow(window_, GW_OWNER);
    if (owner == nullptr || !::GetWindowRect(owner, &own))
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &own, 0);
    RECT box;
    ::GetWindowRect(window_, &box);
    int width = box.right - box.left;
    int height = box.bottom - box.top;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromRect(&own, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int left = work.left;
    const int top = work.top;
    int x = std::clamp(static_cast<int>(own.left + own.right - width) / 2, left,
                       std::max(left, static_cast<int>(work.right) - width));
    int y = std::clamp(static_cast<int>(own.top + own.bottom - height) / 2, top,
                       std::max(top, static_cast<int>(work.bottom) - height));
    ::SetWindowPos(window_, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
    presented_ = true;
    // The focus starts where the dialog put it, or on its first control the user can
    // change or press (a caret in a box that only shows a status helps nobody).
    if (dialog_->FocusId() >= 0) {
        FocusControl(dialog_->FocusId());
        return;
    }
    for (const Control& control : controls_) {
        const ControlTemplate& source = *control.source;
        bool readOnly = source.kind == ControlKind::EditText && (source.style & kReadOnly) != 0;
        bool takesFocus = source.kind == ControlKind::PushButton ||
                          source.kind == ControlKind::EditText ||
                          (source.kind == ControlKind::RadioButton &&
                           ::SendMessageW(control.window, BM_GETCHECK, 0, 0) == BST_CHECKED);
        if (takesFocus && !readOnly && ::IsWindowEnabled(control.window)) {
            ::SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control.window), TRUE);
            return;
        }
    }
}

void Win32DialogWindow::Sync() {
    if (dialog_ == nullptr)
        return;
    for (Control& control : controls_)
        SyncControl(control);
}

void Win32DialogWindow::SyncControl(Control& control) {
    const ControlState* state = nullptr;
    for (const ControlState& candidate : dialog_->Controls()) {
        if (candidate.source == control.source)
            state = &candidate;
    }
    if (state == nullptr)
        return;  // the dialog's loop has not started yet
    HWND window = control.window;
    if ((::IsWindowEnabled(window) != FALSE) != state->enabled)
        ::EnableWindow(window, state->enabled ? TRUE : FALSE);

    switch (control.source->kind) {
        case ControlKind::EditText:
            if (ReadWindowText(window) != state->text) {
                syncing_ = true;  // no change notice: the user typed nothing
                WriteWindowText(window, state->text);
                syncing_ = false;
            }
            control.shown = state->text;
            break;
        case ControlKind::RadioButton: {
            WPARAM check = state->checked ? BST_CHECKED : BST_UNCHECKED;
            if (static_cast<WPARAM>(::SendMessageW(window, BM_GETCHECK, 0, 0)) != check)
                ::SendMessageW(window, BM_SETCHECK, check, 0);
            [[fallthrough]];
        }
        case ControlKind::PushButton:
        case ControlKind::GroupBox:
        case ControlKind::StaticText:
            if (control.shown != state->text) {
                WriteWindowText(window, state->text);
                control.shown = state->text;
            }
            break;
        case ControlKind::ProgressBar: {
            int low = state->rangeLow;
            int high = std::max(state->rangeHigh, low + 1);
            auto range = static_cast<LRESULT>(::SendMessageW(window, PBM_GETRANGE, FALSE, 0));
            if (range != high || ::SendMessageW(window, PBM_GETRANGE, TRUE, 0) != low)
                ::SendMessageW(window, PBM_SETRANGE32, static_cast<WPARAM>(low), high);
            int position = std::clamp(state->position, low, high);
            if (::SendMessageW(window, PBM_GETPOS, 0, 0) != position)
                ::SendMessageW(window, PBM_SETPOS, static_cast<WPARAM>(position), 0);
            control.shown = std::to_string(state->position);
            break;
        }
        case ControlKind::Icon:
            break;
    }
}

void Win32DialogWindow::FocusControl(int id) {
    if (const Control* control = Find(id)) {
        ::SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->window), TRUE);
        if (control->source->kind == ControlKind::EditText)
            ::SendMessageW(control->window, EM_SETSEL, 0, -1);
    }
}

void Win32DialogWindow::Retire() {
    dialog_ = nullptr;
    if (window_ != nullptr) {
        ::SetWindowLongPtrW(window_, DWLP_USER, 0);
        ::DestroyWindow(window_);
        window_ = nullptr;
    }
    controls_.clear();
}

const Win32DialogWindow::Control* Win32DialogWindow::Find(int id) const {
    for (const Control& control : controls_) {
        if (control.source->id == id)
            return &control;
    }
    return nullptr;
}

std::string Win32DialogWindow::ShownText(int id) const {
    const Control* control = Find(id);
    if (control == nullptr)
        return {};
    switch (control->source->kind) {
        case ControlKind::RadioButton:
            return ::SendMessageW(control->window, BM_GETCHECK, 0, 0) == BST_CHECKED ? "(x)"
                                                                                      : "( )";
        case ControlKind::ProgressBar:
            return std::to_string(::SendMessageW(control->window, PBM_GETPOS, 0, 0));
        default:
            return ReadWindowText(control->window);
    }
}

bool Win32DialogWindow::ShownEnabled(int id) const {
    const Control* control = Find(id);
    return control != nullptr && ::IsWindowEnabled(control->window);
}

std::vector<int> Win32DialogWindow::ControlsCutShort() const {
    std::vector<int> cut;
    HDC dc = ::GetDC(window_);
    for (const Control& control : controls_) {
        const ControlTemplate& source = *control.source;
        if (IsEmpty(source.rect) || source.kind == ControlKind::ProgressBar ||
            source.kind == ControlKind::Icon)
            continue;
        RECT box;
        ::GetClientRect(control.window, &box);
        HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(control.window, WM_GETFONT, 0, 0));
        HGDIOBJ previous = ::SelectObject(dc, font);
        std::wstring text;
        text.resize(static_cast<std::size_t>(::GetWindowTextLengthW(control.window)) + 1);
        text.resize(static_cast<std::size_t>(
            ::GetWindowTextW(control.window, text.data(), static_cast<int>(text.size()))));
        int width = box.right;
        int height = box.bottom;
        int room = width;
        switch (source.kind) {
            case ControlKind::PushButton:
                room -= 2 * kButtonPaddingPx;
                break;
            case ControlKind::RadioButton:
                room -= ::GetSystemMetrics(SM_CXMENUCHECK) + kCheckGapPx;
                break;
            case ControlKind::GroupBox:
                room -= kGroupLabelIndentPx;
                break;
            case ControlKind::EditText:
                room = 0x7FFF;  // an edit box scrolls its text
                height -= kEditBorderPx;
                break;
            default:
                break;
        }
        // Statics break their lines at the box's width as the system draws them.
        RECT needed{0, 0, source.kind == ControlKind::StaticText ? width : 0x7FFF, 0};
        UINT format = DT_CALCRECT | (source.kind == ControlKind::StaticText ? DT_WORDBREAK : DT_SINGLELINE);
        if (source.kind == ControlKind::EditText)
            format |= DT_NOPREFIX;
        ::DrawTextW(dc, text.empty() ? L"Ag" : text.c_str(), -1, &needed, format);
        bool tooWide = source.kind != ControlKind::EditText && !text.empty() && needed.right > room;
        bool tooHigh = source.kind != ControlKind::GroupBox && needed.bottom > height;
        if (tooWide || tooHigh)
            cut.push_back(source.id);
        ::SelectObject(dc, previous);
    }
    ::ReleaseDC(window_, dc);
    return cut;
}

}  // namespace ui
