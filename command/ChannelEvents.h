#pragma once

#include <string>

// What the command channel reports to whoever shows the receiver (the application), and
// the one choice of the user it goes by.
class ChannelEvents {
  public:
    virtual ~ChannelEvents() = default;

    // A port did not open: reason names the device and why ("open /dev/ttyUSB0: device in
    // use") when the user has to act, and is empty for a port without a receiver behind
    // it; showBox asks for the "COULD NOT OPEN COM PORT" box.
    virtual void OpenFailed(const std::string& reason, bool showBox) = 0;
    // The receiver was identified as another model; its name is to be shown.
    virtual void ModelChanged(const std::string& unitName) = 0;
    // The user chose the speed in the setup: a speed of 0 then leaves the line at the
    // speed it has.
    virtual bool SpeedChosenByUser() const = 0;
};
