#pragma once

#include <string>

#include "command/ScanTimerDialog.h"

class CommandChannel;

// "Establishing Communication with Receiver": scans COM1 to COM4 at 4800, 9600, 19200
// and 1200 bit/s on the channel, asking for the version, until a receiver answers. OK
// leaves the channel at the port and speed of the receiver; Cancel means the user gave up.
class CConnectDlg : public ScanTimerDialog {
  public:
    CConnectDlg(CommandChannel& channel, int& autoUpload, ui::Window* parent = nullptr);

    void OnTimer(int id) override;
    void DoDataExchange(ui::DataExchange& dx) override;

    std::string statusText;
    std::string promptText;
    int tickCount = 0;    // ticks at this port and speed
    int switchCount = 0;  // speeds tried at this port
    int scanBaud = 4800;
    int scanComIndex = 0;

    // The speed tried after this one.
    static int NextScanBaud(int baud);
    static constexpr int kPortCount = 4;
    static constexpr int kSpeedsPerPort = 4;

  private:
    void OpenScanPort();
    void ShowScanPort();

    CommandChannel& channel_;
};
