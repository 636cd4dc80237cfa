#pragma once

#include <array>
#include <functional>
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

    // What the scan met at each port tried, on one line ("No receiver found. COM1: no answer
    // at any speed; COM2: open /dev/ttyUSB1: device in use."); "" before a port was tried.
    std::string NothingFoundText() const;
    // Told NothingFoundText each time the scan has been round every port without an answer.
    std::function<void(const std::string&)> onNothingFound;

  private:
    void OpenScanPort();
    void ShowScanPort();

    // What happened at one visit of a port: the last reason it did not open, or the speeds
    // at which it opened and nothing answered.
    struct PortTry {
        bool tried = false;
        std::string failure;
        int silentSpeeds = 0;
    };

    CommandChannel& channel_;
    // The last whole visit of each port, and the visit of the port being tried.
    std::array<PortTry, kPortCount> tries_{};
    PortTry visit_;
};
