#include "loader/CProtocolDlg.h"

#include <cstdio>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "command/CDatabaseTypeDlg.h"
#include "res/ProtocolDlgTemplate.h"
#include "res/Resource.h"

CProtocolDlg::CProtocolDlg(ui::Window* parent) : ScanTimerDialog(ProtocolDlgTemplate(), parent) {
    char text[64];
    std::snprintf(text, sizeof text, "%s on COM%d", theUnit.unitName.c_str(), theUnit.comIndex + 1);
    unitText = text;
    elapsedText = "00:00:00";
    platform::Clock& clock = platform::GetClock();
    startTime = clock.LocalNow();
    startMs_ = clock.MonotonicMs();
    tickCount = 0;

    if (!theApp.baudChosenByUser) {
        OpenAt(kFirstSpeed);
    } else if (theUnit.baud != 0) {
        OpenAt(theUnit.baud);
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
    } else if (theUnit.isOpen && theUnit.WaitLoaderByte()) {
        KillTimer(kScanTimer);
        EndDialog(ui::IDOK);
    } else if (++tickCount >= kTicksPerSpeed) {
        if (!theApp.baudChosenByUser)
            OpenAt(theUnit.baud == kSecondSpeed ? kFirstSpeed : kSecondSpeed);
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
    theUnit.Reopen(theUnit.comIndex, baud, false);
    pendingBaud_ = theUnit.isOpen ? 0 : baud;
}

void CProtocolDlg::ShowElapsed() {
    // Counted on the monotonic clock: setting the wall clock does not change it.
    const std::uint64_t elapsedMs = platform::GetClock().MonotonicMs() - startMs_;
    elapsedText = CDatabaseTypeDlg::FormatElapsed(static_cast<std::int64_t>(elapsedMs / 1000));
}
