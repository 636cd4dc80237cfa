#include "ui/win32/WindowText.h"

#include "platform/win32/SystemApi.h"
#include "platform/win32/WideText.h"

namespace ui {

std::string ReadWindowText(HWND window) {
    int length = ::GetWindowTextLengthW(window);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int got = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return platform::Utf8FromWide(text);
}

void WriteWindowText(HWND window, const std::string& text) {
    ::SetWindowTextW(window, platform::WideFromUtf8(text).c_str());
}

}  // namespace ui
