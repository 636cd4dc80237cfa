// The front-end conformance suite on the Windows desktop, against its real windows:
// buttons pressed with BM_CLICK, keys and commands posted as the system would send them,
// texts read back with GetWindowTextW. Under Wine it needs an X server (tools/wine-tests.sh
// starts Xvfb); screenshots are saved as BMP files in screenshots/.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unordered_set>

#include "tests/frontend/FrontEndDriver.h"
#include "ui/FrameWindow.h"
#include "ui/Runtime.h"
#include "ui/win32/Win32Backend.h"
#include "ui/win32/WindowText.h"
// The system's headers last: they define IDOK and friends as macros.
#include "platform/win32/SystemApi.h"
#include "platform/win32/WideText.h"

namespace {

std::string WithoutAmpersands(std::string text) {
    std::erase(text, '&');
    return text;
}

// The shown top-level window of this thread with this caption that takes input (the one
// on top of its modal chain).
HWND FindTopWindow(const std::string& caption) {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, nullptr, nullptr)) != nullptr) {
        if (::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId() &&
            ::IsWindowVisible(window) && ::IsWindowEnabled(window) &&
            ui::ReadWindowText(window) == caption)
            return window;
    }
    return nullptr;
}

// A button of the dialog or message box; its radio buttons are its children too.
HWND FindButton(HWND parent, const std::string& text) {
    HWND child = nullptr;
    while (parent != nullptr &&
           (child = ::FindWindowExW(parent, child, L"Button", nullptr)) != nullptr) {
        if (WithoutAmpersands(ui::ReadWindowText(child)) == text)
            return child;
    }
    return nullptr;
}

// A menu command by its text, in the menu or its submenus: {menu, position}.
std::pair<HMENU, int> FindMenuItem(HMENU menu, const std::string& text) {
    for (int position = 0; position < ::GetMenuItemCount(menu); ++position) {
        if (HMENU sub = ::GetSubMenu(menu, position)) {
            if (auto found = FindMenuItem(sub, text); found.first != nullptr)
                return found;
            continue;
        }
        wchar_t label[128] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(position), label, 128, MF_BYPOSITION);
        if (WithoutAmpersands(platform::Utf8FromWide(label)) == text)
            return {menu, position};
    }
    return {nullptr, -1};
}

// A picture of the window as it paints itself, frame included, as a 32-bit BMP file;
// answers its distinct colours.
int SaveWindowPicture(HWND window, const std::filesystem::path& file) {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT box;
    ::GetWindowRect(window, &box);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    if (width <= 0 || height <= 0)
        return 0;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC source = ::GetWindowDC(window);
    HDC memory = ::CreateCompatibleDC(source);
    void* bits = nullptr;
    HBITMAP picture = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(memory, picture);
    ::BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    ::GdiFlush();
    const auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    auto* pixel = static_cast<std::uint32_t*>(bits);
    std::unordered_set<std::uint32_t> colours;
    for (std::size_t i = 0; i < pixels; ++i) {
        pixel[i] |= 0xFF000000;  // opaque: the system leaves the fourth byte empty
        colours.insert(pixel[i]);
    }

    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = static_cast<DWORD>(header.bfOffBits + pixels * 4);
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(pixels * 4));

    ::SelectObject(memory, previous);
    ::DeleteObject(picture);
    ::DeleteDC(memory);
    ::ReleaseDC(window, source);
    return out ? static_cast<int>(colours.size()) : 0;
}

class Win32Driver : public FrontEndDriver {
  public:
    Win32Driver() : backend_(ui::Win32Backend::Start()) {
        ui::Runtime::Get().SetBackend(backend_.get());
    }
    ~Win32Driver() override { ui::Runtime::Get().SetBackend(nullptr); }

    bool Ready() const override { return backend_ != nullptr; }

    bool PressButton(const std::string& caption, const std::string& text) override {
        HWND button = FindButton(FindTopWindow(caption), text);
        return button != nullptr && ::PostMessageW(button, BM_CLICK, 0, 0);
    }

    bool PressEnter(const std::string& caption) override {
        HWND window = FindTopWindow(caption);
        HWND target = ::GetFocus();
        if (target == nullptr || (target != window && !::IsChild(window, target)))
            target = window;
        return window != nullptr && ::PostMessageW(target, WM_KEYDOWN, VK_RETURN, 1);
    }

    bool ChooseFile(const std::string& title, const std::string& path) override {
        // The file name box of the system's dialog (a combo box, or an edit box).
        constexpr int kFileNameCombo = 0x47C;
        constexpr int kFileNameEdit = 0x480;
        HWND dialog = FindTopWindow(title);
        HWND name = ::GetDlgItem(dialog, kFileNameCombo);
        if (name == nullptr)
            name = ::GetDlgItem(dialog, kFileNameEdit);
        if (name == nullptr)
            return false;
        ui::WriteWindowText(name, path);
        return ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                              reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    }

    bool ChooseMenuCommand(const ui::FrameWindow& frame, const std::string& text) override {
        HWND window = backend_->WindowOf(&frame);
        auto [menu, position] = FindMenuItem(::GetMenu(window), text);
        if (menu == nullptr ||
            (::GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_GRAYED) != 0)
            return false;
        UINT id = ::GetMenuItemID(menu, position);
        return ::PostMessageW(window, WM_COMMAND, id, 0);
    }

    std::string ShownText(const ui::Dialog& dialog, int id) override {
        return backend_->ShownControlText(dialog, id);
    }
    unsigned BoxIcon(const std::string& caption) override {
        // The box's icon is a static control given one of the system's shared icons.
        HWND box = FindTopWindow(caption);
        HWND child = nullptr;
        while ((child = ::FindWindowExW(box, child, L"Static", nullptr)) != nullptr) {
            auto icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
            for (auto [name, flag] : {std::pair{IDI_HAND, MB_ICONHAND},
                                      {IDI_QUESTION, MB_ICONQUESTION},
                                      {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                                      {IDI_ASTERISK, MB_ICONASTERISK}}) {
                if (icon != nullptr && icon == ::LoadIconA(nullptr, name))
                    return static_cast<unsigned>(flag);
            }
        }
        return 0;
    }
    std::string StatusText(const ui::FrameWindow& frame, int pane) override {
        return backend_->ShownStatusText(frame, pane);
    }
    bool CommandEnabled(const ui::FrameWindow& frame, int id) override {
        return backend_->ShownCommandEnabled(frame, id);
    }
    std::size_t LoopDepth() override { return backend_->LoopDepth(); }
    std::vector<int> ControlsCutShort(const ui::Dialog& dialog) override {
        return backend_->ControlsCutShort(dialog);
    }
    int Screenshot(const std::string& caption, const std::string& name) override {
        HWND window = FindTopWindow(caption);
        std::filesystem::path folder = std::filesystem::current_path() / "screenshots";
        std::filesystem::create_directories(folder);
        return window == nullptr ? 0
                                 : SaveWindowPicture(window, folder / ("win32-" + name + ".bmp"));
    }

  private:
    std::unique_ptr<ui::Win32Backend> backend_;
};

}  // namespace

FrontEndDriver& Driver() {
    static Win32Driver driver;
    return driver;
}
