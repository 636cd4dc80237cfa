#include "program/ScanPassWatch.h"

#include "command/CConnectDlg.h"
#include "platform/ComPortNames.h"

void ScanPassWatch::Look(ui::Dialog& dialog) {
    auto* scan = dynamic_cast<CConnectDlg*>(&dialog);
    if (scan == nullptr || scan->IsEnding())
        return;
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
        tried_ += (tried_.empty() ? "" : ", ") + port + " (" +
                  (device.empty() ? std::string("no device") : device) + ")";
    }
}
