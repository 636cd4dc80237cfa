#include "ui/win32/Win32FrameWindow.h"

#include <algorithm>

#include "ui/Application.h"
#include "ui/FrameWindow.h"
#include "ui/win32/WindowText.h"
// The system's headers last: they define IDOK and friends as macros.
#include "platform/win32/SystemApi.h"

#include <commctrl.h>
#include "platform/win32/WideText.h"

namespace ui {

namespace {

constexpr wchar_t kFrameClass[] = L"TarnwickMainFrame";
constexpr wchar_t kViewClass[] = L"TarnwickChildView";
// The framework's numbers of the first pane's child and of the status bar.
constexpr int kFirstPaneId = 0xE900;
constexpr int kStatusBarId = 0xE801;
// The frame shows nothing but its menu and status bar; this is its first size (96 dpi).
constexpr int kClientWidth = 560;
constexpr int kClientHeight = 300;
// Texts of the indicator panes, and the room around them.
constexpr const char* kIndicatorTexts[] = {"CAP", "NUM", "SCRL"};
constexpr int kIndicatorKeys[] = {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL};
constexpr int kIndicatorPaddingPx = 12;

LRESULT CALLBACK FrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32FrameWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr)
        return ::DefWindowProcW(window, message, wParam, lParam);
    return self->OnMessage(window, message, wParam, lParam);
}

void RegisterClasses() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    HICON icon = ::LoadIconW(module, MAKEINTRESOURCEW(1));
    WNDCLASSEXW frame{};
    frame.cbSize = sizeof frame;
    frame.lpfnWndProc = FrameProcedure;
    frame.hInstance = module;
    frame.hIcon = icon != nullptr ? icon : ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    frame.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    frame.lpszClassName = kFrameClass;
    ::RegisterClassExW(&frame);
    // The client area's child paints nothing but its background.
    WNDCLASSEXW view{};
    view.cbSize = sizeof view;
    view.lpfnWndProc = ::DefWindowProcW;
    view.hInstance = module;
    view.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    view.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    view.lpszClassName = kViewClass;
    ::RegisterClassExW(&view);
}

int Scaled(HWND window, int pixels96) {
    HDC dc = ::GetDC(window);
    int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
    ::ReleaseDC(window, dc);
    return ::MulDiv(pixels96, dpi > 0 ? dpi : 96, 96);
}

}  // namespace

Win32FrameWindow::Win32FrameWindow(FrameWindow& frame, std::function<void()> afterUserEvent)
    : frame_(&frame),
      afterUserEvent_(std::move(afterUserEvent)),
      indicators_(std::size(kIndicatorTexts)) {
    RegisterClasses();
    HMENU bar = BuildMenu(frame.Menu()->bar, true);
    RECT size{0, 0, kClientWidth, kClientHeight};
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    ::AdjustWindowRectEx(&size, style, TRUE, 0);
    window_ = ::CreateWindowExW(0, kFrameClass, platform::WideFromUtf8(frame.Menu()->title).c_str(),
                                style, CW_USEDEFAULT, CW_USEDEFAULT, size.right - size.left,
                                size.bottom - size.top, nullptr, bar, ::GetModuleHandleW(nullptr),
                                this);
    if (window_ == nullptr) {
        ::DestroyMenu(bar);
        return;
    }
    // Sized for the screen's resolution, not for 96 dpi.
    RECT scaled{0, 0, Scaled(window_, kClientWidth), Scaled(window_, kClientHeight)};
    ::AdjustWindowRectEx(&scaled, style, TRUE, 0);
    ::SetWindowPos(window_, nullptr, 0, 0, scaled.right - scaled.left, scaled.bottom - scaled.top,
                   SWP_NOMOVE | SWP_NOZORDER);
    view_ = ::CreateWindowExW(0, kViewClass, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 0,
                              0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstPaneId)),
                              ::GetModuleHandleW(nullptr), nullptr);
    statusBar_ = ::CreateWindowExW(0, STATUSCLASSNAMEW, nullptr,
                                   WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)),
                                   ::GetModuleHandleW(nullptr), nullptr);
    LayOut();
    for (int pane = 0; pane < frame.PaneCount(); ++pane)
        ShowPane(pane);
    ShowPane(-1);
    Idle();
    ::ShowWindow(window_, SW_SHOW);
    ::UpdateWindow(window_);
}

Win32FrameWindow::~Win32FrameWindow() {
    Retire();
}

HMENU Win32FrameWindow::BuildMenu(const std::vector<MenuItem>& items, bool bar) {
    HMENU menu = bar ? ::CreateMenu() : ::CreatePopupMenu();
    for (const MenuItem& item : items) {
        std::wstring text = platform::WideFromUtf8(item.text);
        if (item.id == 0 && !item.items.empty()) {
            ::AppendMenuW(menu, MF_POPUP | MF_STRING,
                          reinterpret_cast<UINT_PTR>(BuildMenu(item.items, false)), text.c_str());
        } else if (item.id == 0) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.id), text.c_str());
            prompts_[item.id] = item.prompt;
            if (bar)
                barCommands_.push_back(item.id);
        }
    }
    return menu;
}

std::intptr_t Win32FrameWindow::OnMessage(HWND window, unsigned message, std::uintptr_t wParam,
                                          std::intptr_t lParam) {
    if (frame_ == nullptr)
        return ::DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_COMMAND:
            if (lParam == 0) {  // a menu command
                frame_->RunCommand(LOWORD(wParam));
                if (afterUserEvent_)
                    afterUserEvent_();
            }
            return 0;
        case WM_INITMENUPOPUP:
            UpdatePopup(reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_MENUSELECT: {
            // The command's prompt while it is highlighted; the program's own text otherwise.
            const bool closed = HIWORD(wParam) == 0xFFFF && lParam == 0;
            auto prompt = prompts_.find(LOWORD(wParam));
            const bool command = !closed && (HIWORD(wParam) & MF_POPUP) == 0;
            std::string text = command && prompt != prompts_.end() ? prompt->second
                                                                    : frame_->PaneText(0);
            ::SendMessageW(statusBar_, SB_SETTEXTW, 0,
                           reinterpret_cast<LPARAM>(platform::WideFromUtf8(text).c_str()));
            return 0;
        }
        case WM_SIZE:
            LayOut();
            return 0;
        case WM_SETFOCUS:
            ::SetFocus(view_);
            return 0;
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(window, nullptr, suggested->left, suggested->top,
                           suggested->right - suggested->left, suggested->bottom - suggested->top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_CLOSE:
            // Closing the main window ends the program; the frame is destroyed on the way out.
            ui::PostQuitMessage(0);
            if (afterUserEvent_)
                afterUserEvent_();
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

void Win32FrameWindow::UpdatePopup(HMENU menu) {
    int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        UINT id = ::GetMenuItemID(menu, position);
        if (id == static_cast<UINT>(-1) || id == 0)
            continue;  // a submenu or a separator
        bool enabled = frame_->IsCommandEnabled(static_cast<int>(id));
        ::EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

void Win32FrameWindow::Idle() {
    if (frame_ == nullptr || window_ == nullptr)
        return;
    // Commands on the bar are seen without opening a menu: their state is kept current.
    HMENU bar = ::GetMenu(window_);
    bool changed = false;
    for (int id : barCommands_) {
        bool enabled = frame_->IsCommandEnabled(id);
        UINT state = ::GetMenuState(bar, static_cast<UINT>(id), MF_BYCOMMAND);
        bool shownEnabled = (state & (MF_GRAYED | MF_DISABLED)) == 0;
        if (enabled != shownEnabled) {
            ::EnableMenuItem(bar, static_cast<UINT>(id),
                             MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
            changed = true;
        }
    }
    if (changed)
        ::DrawMenuBar(window_);
    for (std::size_t i = 0; i < indicators_.size(); ++i) {
        std::string text = (::GetKeyState(kIndicatorKeys[i]) & 1) != 0 ? kIndicatorTexts[i] : "";
        if (text == indicators_[i])
            continue;
        indicators_[i] = text;
        if (static_cast<int>(i) + 1 < frame_->PaneCount()) {
            ::SendMessageW(statusBar_, SB_SETTEXTW, i + 1,
                           reinterpret_cast<LPARAM>(platform::WideFromUtf8(text).c_str()));
        }
    }
}

void Win32FrameWindow::LayOut() {
    if (window_ == nullptr || statusBar_ == nullptr)
        return;
    ::SendMessageW(statusBar_, WM_SIZE, 0, 0);
    RECT client;
    ::GetClientRect(window_, &client);
    int bottom = client.bottom;
    if (::IsWindowVisible(statusBar_)) {
        RECT bar;
        ::GetWindowRect(statusBar_, &bar);
        bottom -= bar.bottom - bar.top;
    }
    ::MoveWindow(view_, 0, 0, client.right, std::max(bottom, 0), TRUE);
    // The message pane takes what the indicators leave.
    const int panes = std::max(frame_ != nullptr ? frame_->PaneCount() : 1, 1);
    HDC dc = ::GetDC(statusBar_);
    HGDIOBJ previous = ::SelectObject(
        dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(statusBar_, WM_GETFONT, 0, 0)));
    std::vector<int> edges(static_cast<std::size_t>(panes), -1);
    int right = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
    for (int pane = panes - 1; pane >= 1; --pane) {
        edges[static_cast<std::size_t>(pane)] = right;
        const char* sample = kIndicatorTexts[std::min<std::size_t>(pane - 1, 2)];
        SIZE extent{};
        std::wstring wide = platform::WideFromUtf8(sample);
        ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
        right -= extent.cx + Scaled(window_, kIndicatorPaddingPx);
    }
    if (panes > 1)
        edges[0] = right;
    ::SelectObject(dc, previous);
    ::ReleaseDC(statusBar_, dc);
    ::SendMessageW(statusBar_, SB_SETPARTS, static_cast<WPARAM>(panes),
                   reinterpret_cast<LPARAM>(edges.data()));
}

void Win32FrameWindow::ShowPane(int pane) {
    if (frame_ == nullptr || statusBar_ == nullptr)
        return;
    if (pane < 0) {
        bool visible = ::IsWindowVisible(statusBar_) != FALSE;
        if (visible != frame_->StatusBarVisible()) {
            ::ShowWindow(statusBar_, frame_->StatusBarVisible() ? SW_SHOW : SW_HIDE);
            LayOut();
        }
        return;
    }
    if (pane >= frame_->PaneCount())
        return;
    std::string text = frame_->PaneText(pane);
    if (pane > 0 && static_cast<std::size_t>(pane) <= indicators_.size() && text.empty())
        text = indicators_[static_cast<std::size_t>(pane) - 1];
    ::SendMessageW(statusBar_, SB_SETTEXTW, static_cast<WPARAM>(pane),
                   reinterpret_cast<LPARAM>(platform::WideFromUtf8(text).c_str()));
    ::UpdateWindow(statusBar_);
}

void Win32FrameWindow::Retire() {
    frame_ = nullptr;
    if (window_ != nullptr) {
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);  // the menu goes with it
        window_ = nullptr;
    }
}

std::string Win32FrameWindow::ShownStatusText(int pane) const {
    if (statusBar_ == nullptr || window_ == nullptr)
        return {};
    auto length = LOWORD(::SendMessageW(statusBar_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(pane), 0));
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::SendMessageW(statusBar_, SB_GETTEXTW, static_cast<WPARAM>(pane),
                   reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return platform::Utf8FromWide(text);
}

bool Win32FrameWindow::ShownCommandEnabled(int id) const {
    if (window_ == nullptr)
        return false;
    UINT state = ::GetMenuState(::GetMenu(window_), static_cast<UINT>(id), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

}  // namespace ui
