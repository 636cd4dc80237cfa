#include "command/CConnectDlg.h"

#include <cstdio>

#include "command/CommandChannel.h"
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
        scanBaud = NextScanBaud(scanBaud);
        if (++switchCount >= kSpeedsPerPort) {
            switchCount = 0;
            if (channel_.scanPortOnly < 0)
                scanComIndex = (scanComIndex + 1) % kPortCount;
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
