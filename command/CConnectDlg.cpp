#include "command/CConnectDlg.h"

#include <cstdio>

#include "command/CommandChannel.h"
#include "platform/SerialDiagnostics.h"
#include "res/ConnectDlgTemplate.h"
#include "res/Resource.h"

namespace {

// A speed gets two ticks: the queries of the first are answered by the second.
constexpr int kTicksPerSpeed = 2;

}  // namespace

CConnectDlg::CConnectDlg(CommandChannel& channel, int& autoUpload, ui::Window* parent)
    : ScanTimerDialog(ConnectDlgTemplate(), autoUpload, parent), channel_(channel) {
    // The scan always starts at COM1, 4800 bit/s, whatever was stored.
    scanBaud = 4800;
    scanComIndex = channel_.scanPortOnly >= 0 ? channel_.scanPortOnly : 0;
    ShowScanPort();
    promptText = "Power on GPS unit";
    OpenScanPort();
    switchCount = 0;
}

int CConnectDlg::NextScanBaud(int baud) {
    switch (baud) {
        case 4800:
            return 9600;
        case 9600:
            return 19200;
        case 19200:
            return 1200;
        default:
            return 4800;
    }
}

void CConnectDlg::ShowScanPort() {
    char text[64];
    std::snprintf(text, sizeof text, "Using COM%d at %ld baud", scanComIndex + 1,
                  static_cast<long>(scanBaud));
    statusText = text;
}

void CConnectDlg::OpenScanPort() {
    channel_.Reopen(scanComIndex, scanBaud, false);
    // A port that does not open is left after one tick instead of two.
    tickCount = channel_.openFailed != 0 ? 1 : 0;
    if (switchCount == 0)
        visit_ = PortTry{};
    visit_.tried = true;
    if (channel_.openFailed != 0) {
        visit_.failure = platform::SerialDiagnostics::LastFailureOfPort(scanComIndex);
        if (visit_.failure.empty())
            visit_.failure = "missing";
    }
}

std::string CConnectDlg::NothingFoundText() const {
    std::string text;
    for (int index = 0; index < kPortCount; ++index) {
        // A port is told by its last whole visit, the port being tried by what it met so far.
        const PortTry& whole = tries_[static_cast<std::size_t>(index)];
        const PortTry& port = (whole.tried || index != scanComIndex) ? whole : visit_;
        if (!port.tried)
            continue;
        text += text.empty() ? "No receiver found. " : "; ";
        text += "COM" + std::to_string(index + 1);
        if (!port.failure.empty()) {
            text += ": " + port.failure;
            continue;
        }
        const std::string device = platform::SerialDiagnostics::DeviceOfPort(index);
        if (!device.empty())
            text += " (" + device + ")";
        text += port.silentSpeeds >= kSpeedsPerPort ? ": no answer at any speed" : ": no answer";
    }
    return text.empty() ? text : text + ".";
}

void CConnectDlg::OnTimer(int id) {
    if (id != kScanTimer)
        return;
    if (channel_.PollReplies() && channel_.Identity().family != 0) {
        channel_.baud = scanBaud;
        channel_.comIndex = scanComIndex;
        KillTimer(kScanTimer);
        EndDialog(ui::IDOK);
    } else if (++tickCount >= kTicksPerSpeed) {
        if (channel_.openFailed == 0)
            ++visit_.silentSpeeds;
        scanBaud = NextScanBaud(scanBaud);
        if (++switchCount >= kSpeedsPerPort) {
            switchCount = 0;
            tries_[static_cast<std::size_t>(scanComIndex % kPortCount)] = visit_;
            if (channel_.scanPortOnly < 0)
                scanComIndex = (scanComIndex + 1) % kPortCount;
            // A scan kept on one port has made its round after each of its passes.
            if ((scanComIndex == 0 || channel_.scanPortOnly >= 0) && onNothingFound)
                onNothingFound(NothingFoundText());
        }
        ShowScanPort();
        UpdateData(false);
        OpenScanPort();
    }
    if (channel_.isOpen != 0) {
        channel_.SendSentence("CMD,VERSION");
        channel_.SendSentence("CMD,MEMORY");
    }
}

void CConnectDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(IDC_STATUS_TEXT, statusText);
    dx.Text(IDC_PROMPT_TEXT, promptText);
}
