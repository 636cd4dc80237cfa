#include "program/ScanPassWatch.h"

#include <filesystem>

#include "command/CConnectDlg.h"
#include "platform/ComPortNames.h"

void ScanPassWatch::Look(ui::Dialog& dialog, bool opened) {
    auto* scan = dynamic_cast<CConnectDlg*>(&dialog);
    if (scan == nullptr || scan->IsEnding())
        return;
    if (opened)
        Restart();
    std::pair<int, int> at{scan->scanComIndex, scan->scanBaud};
    if (!first_) {
        first_ = at;
    } else if (at != *first_) {
        moved_ = true;
    } else if (moved_) {
        passEnded_ = true;
        scan->EndDialog(ui::IDCANCEL);
        return;
    }
    std::string port = "COM" + std::to_string(at.first + 1);
    if (tried_.find(port + " (") == std::string::npos) {
        std::string device = platform::ComPortNames::PathOf(at.first);
        std::error_code error;
        if (device.empty())
            device = "no device";
        else if (!std::filesystem::exists(device, error))
            device += ", missing";
        tried_ += (tried_.empty() ? "" : ", ") + port + " (" + device + ")";
    }
}
