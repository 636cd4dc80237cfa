// The system's own text for an error, from FormatMessageW.
#include <string>

#include "platform/SystemErrorText.h"
#include "platform/win32/SystemApi.h"
#include "platform/win32/WideText.h"

namespace platform {

std::string SystemErrorText(int error) {
    wchar_t* text = nullptr;
    DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring wide = length > 0 && text != nullptr ? std::wstring(text, length) : std::wstring();
    if (text != nullptr)
        ::LocalFree(text);
    while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' '))
        wide.pop_back();
    if (wide.empty())
        return "system error " + std::to_string(error);
    return Utf8FromWide(wide);
}

bool SystemErrorNeedsUser(int error) {
    // A port that another program holds answers "access denied".
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_BUSY;
}

}  // namespace platform
