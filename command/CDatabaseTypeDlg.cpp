#include "command/CDatabaseTypeDlg.h"

#include <cstdio>

#include "command/CommandChannel.h"
#include "res/DatabaseTypeDlgTemplate.h"
#include "res/Resource.h"

CDatabaseTypeDlg::CDatabaseTypeDlg(CommandChannel& channel, int& autoUpload, ui::Window* parent)
    : ScanTimerDialog(DatabaseTypeDlgTemplate(), autoUpload, parent), channel_(channel) {
    char text[64];
    std::snprintf(text, sizeof text, "%s on COM%d", channel.Identity().unitName.c_str(),
                  channel.comIndex + 1);
    unitText = text;
    elapsedText = FormatElapsed(0);
    platform::Clock& clock = platform::GetClock();
    startTime = clock.LocalNow();
    startSeconds_ = clock.CalendarSeconds();
}

std::string CDatabaseTypeDlg::FormatElapsed(std::int64_t seconds) {
    if (seconds < 0)
        seconds = 0;  // the wall clock was set back
    int hours = static_cast<int>(seconds / 3600 % 24);
    int minutes = static_cast<int>(seconds / 60 % 60);
    int secs = static_cast<int>(seconds % 60);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", hours, minutes, secs);
    return text;
}

bool CDatabaseTypeDlg::HeadersArrived() const {
    const ReceiverIdentity& unit = channel_.Identity();
    return (unit.askPoiHeader == 0 || !unit.poiHeader.empty()) &&
           (unit.askMapHeader == 0 || !unit.mapHeader.empty());
}

void CDatabaseTypeDlg::AskForHeaders() {
    if (channel_.Identity().askPoiHeader != 0)
        channel_.SendSentence("CMD,PIH");
    if (channel_.Identity().askMapHeader != 0)
        channel_.SendSentence("CMD,MPH");
}

void CDatabaseTypeDlg::OnTimer(int id) {
    if (id != kScanTimer)
        return;
    if (channel_.PollReplies() && HeadersArrived()) {
        KillTimer(kScanTimer);
        EndDialog(ui::IDOK);
    }
    elapsedText = FormatElapsed(platform::GetClock().CalendarSeconds() - startSeconds_);
    UpdateData(false);
    AskForHeaders();
}

void CDatabaseTypeDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(IDC_STATUS_TEXT, unitText);
    dx.Text(IDC_ELAPSED_TEXT, elapsedText);
    AskForHeaders();
}
