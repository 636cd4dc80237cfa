#pragma once

#include <cstdint>

class CommLink;
class CommPort;

// Baud rate, parity, data bits and stop bits of a port, with a saved copy that can be put
// back. Attached to a link, it saves the port's settings and applies its own; destroying
// it puts the saved settings back.
class LineSettings {
  public:
    explicit LineSettings(CommLink* link = nullptr);
    ~LineSettings();
    LineSettings(const LineSettings&) = delete;
    LineSettings& operator=(const LineSettings&) = delete;

    // Takes the link's port, saves its settings and applies the current copy.
    int Attach(CommLink& link);
    // Saves the port's settings. CL_ERR_GENERAL without a port.
    int Capture();
    // Applies the current copy. CL_ERR_GENERAL without a port or when the port refuses.
    int Apply();
    int Set(std::int32_t baud, char parity, int dataBits, int stopBits);
    // Changes the speed only; a refused speed leaves the previous one in the object.
    int SetBaud(std::int32_t baud);
    // Applies the saved copy (0 without a port).
    int Restore();

    std::int32_t Baud() const { return baud_; }
    char Parity() const { return parity_; }
    int DataBits() const { return dataBits_; }
    int StopBits() const { return stopBits_; }
    std::int32_t SavedBaud() const { return savedBaud_; }

  private:
    std::int32_t baud_ = 1200;
    char parity_ = 'N';
    std::int32_t dataBits_ = 8;
    std::int32_t stopBits_ = 1;
    std::int32_t savedBaud_ = 1200;
    char savedParity_ = 'N';
    std::int32_t savedDataBits_ = 8;
    std::int32_t savedStopBits_ = 1;
    CommPort* port_ = nullptr;
};
