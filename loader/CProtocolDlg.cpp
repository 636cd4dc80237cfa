#include "loader/CProtocolDlg.h"

#include <cstdio>

#include "command/CDatabaseTypeDlg.h"
#include "command/CommandChannel.h"
#include "res/ProtocolDlgTemplate.h"
#include "res/Resource.h"

CProtocolDlg::CProtocolDlg(CommandChannel& channel, bool baudChosenByUser, int& autoUpload,
                           ui::Window* parent)
    : ScanTimerDialog(ProtocolDlgTemplate(), autoUpload, parent),
      channel_(channel),
      baudChosenByUser_(baudChosenByUser) {
    char text[64];
    std::snprintf(text, sizeof text, "%s on COM%d", channel.Identity().unitName.c_str(),
                  channel.comIndex + 1);
    unitText = text;
    elapsedText = "00:00:00";
    platform::Clock& clock = platform::GetClock();
    startTime = clock.LocalNow();
    startMs_ = clock.MonotonicMs();
    tickCount = 0;

    if (!baudChosenByUser_) {
        OpenAt(kFirstSpeed);
    } else if (channel_.baud != 0) {
        OpenAt(channel_.baud);
    }
}

void CProtocolDlg::OnTimer(int id) {
    if (id != kScanTimer)
        return;
    if (pendingBaud_ != 0) {
        OpenAt(pendingBaud_);
        // The speed that has just opened gets its full time.
        if (pendingBaud_ == 0)
            tickCount = 0;
    } else if (channel_.isOpen && channel_.WaitLoaderByte()) {
        KillTimer(kScanTimer);
        EndDialog(ui::IDOK);
    } else if (++tickCount >= kTicksPerSpeed) {
        if (!baudChosenByUser_)
            OpenAt(channel_.baud == kSecondSpeed ? kFirstSpeed : kSecondSpeed);
        tickCount = 0;
    }
    ShowElapsed();
    UpdateData(false);
}

void CProtocolDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(IDC_STATUS_TEXT, unitText);
    dx.Text(IDC_ELAPSED_TEXT, elapsedText);
}

void CProtocolDlg::OpenAt(int baud) {
    channel_.Reopen(channel_.comIndex, baud, false);
    pendingBaud_ = channel_.isOpen ? 0 : baud;
}

void CProtocolDlg::ShowElapsed() {
    // Counted on the monotonic clock: setting the wall clock does not change it.
    const std::uint64_t elapsedMs = platform::GetClock().MonotonicMs() - startMs_;
    elapsedText = CDatabaseTypeDlg::FormatElapsed(static_cast<std::int64_t>(elapsedMs / 1000));
}
