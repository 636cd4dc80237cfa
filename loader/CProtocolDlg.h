#pragma once

#include <cstdint>
#include <string>

#include "command/ScanTimerDialog.h"
#include "platform/Clock.h"

class CommandChannel;

// "Determing Upload Protocol": after the receiver was switched into its load mode,
// listens on the channel for the loader's first byte (hello or rec wait). Unless the user
// fixed the speed, the port alternates between 115200 and 19200 bit/s, two seconds each.
// Ends with OK when the loader was heard; the port then has the speed of the upload.
class CProtocolDlg : public ScanTimerDialog {
  public:
    static constexpr int kFirstSpeed = 115200;
    static constexpr int kSecondSpeed = 19200;
    // Ticks a speed is given before the other is tried.
    static constexpr int kTicksPerSpeed = 2;

    CProtocolDlg(CommandChannel& channel, bool baudChosenByUser, int& autoUpload,
                 ui::Window* parent = nullptr);

    void OnTimer(int id) override;
    void DoDataExchange(ui::DataExchange& dx) override;

    std::string unitText;
    std::string elapsedText;
    platform::LocalDateTime startTime;
    int tickCount = 0;

  private:
    // Opens the port at the speed. A port that does not open is tried again on the next
    // tick instead of in a loop, so that the dialog stays responsive and can be cancelled.
    void OpenAt(int baud);
    void ShowElapsed();

    CommandChannel& channel_;
    const bool baudChosenByUser_;
    int pendingBaud_ = 0;  // the speed still to be opened; 0 when the port is open
    std::uint64_t startMs_ = 0;
};
