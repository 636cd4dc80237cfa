#include "platform/win32/SerialCommRegistry.h"

#include <algorithm>
#include <cwctype>

#include "platform/win32/SystemApi.h"
#include "platform/win32/WideText.h"

namespace platform {

namespace {

// 3 for "COM3", 0 for anything else.
int ComNumber(const std::wstring& name) {
    if (name.size() < 4 || name.size() > 6 || name.compare(0, 3, L"COM") != 0)
        return 0;
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::iswdigit(name[i]))
            return 0;
        number = number * 10 + (name[i] - L'0');
    }
    return number;
}

}  // namespace

std::vector<SerialCommEntry> ReadSerialCommRegistry() {
    std::vector<SerialCommEntry> entries;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                        &key) != ERROR_SUCCESS) {
        return entries;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        wchar_t data[64];
        DWORD nameLength = 256;
        DWORD dataBytes = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        LONG result = ::RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataBytes);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        data[dataBytes / sizeof(wchar_t)] = L'\0';
        int number = ComNumber(data);
        if (number > 0)
            entries.push_back({number, Utf8FromWide(std::wstring(name, nameLength))});
    }
    ::RegCloseKey(key);
    std::sort(
        entries.begin(), entries.end(),
        [](const SerialCommEntry& a, const SerialCommEntry& b) { return a.number < b.number; });
    return entries;
}

}  // namespace platform
