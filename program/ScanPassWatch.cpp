#include "program/ScanPassWatch.h"

#include <filesystem>

#include "command/CConnectDlg.h"
#include "platform/ComPortNames.h"
#include "platform/SerialDiagnostics.h"
#include "ui/Runtime.h"

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
    } else if (moved_ && ui::Runtime::Get().NowMs() < restartUntilMs_) {
        Restart();
        first_ = at;
    } else if (moved_) {
        passEnded_ = true;
        scan->EndDialog(ui::IDCANCEL);
        return;
    }
    // The latest word on each port: the scan has just tried to open it.
    std::string device = platform::ComPortNames::PathOf(at.first);
    std::string failure = platform::SerialDiagnostics::LastFailureOfPort(at.first);
    std::error_code error;
    if (device.empty())
        device = "no device";
    else if (!failure.empty())
        device = failure;
    else if (!std::filesystem::exists(device, error))
        device += ", missing";
    tried_[at.first] = device;
}

std::string ScanPassWatch::Tried() const {
    std::string text;
    for (const auto& [index, said] : tried_)
        text +=
            (text.empty() ? "" : ", ") + ("COM" + std::to_string(index + 1)) + " (" + said + ")";
    return text;
}
