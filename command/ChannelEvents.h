#pragma once

#include <functional>
#include <string>

// What the command channel reports to whoever shows the receiver (the application), and
// the one choice of the user it goes by. An event nobody takes is not shown.
struct ChannelEvents {
    // A port did not open: reason names the device and why ("open /dev/ttyUSB0: device in
    // use") when the user has to act, and is empty for a port without a receiver behind
    // it; showBox asks for the "COULD NOT OPEN COM PORT" box.
    std::function<void(const std::string& reason, bool showBox)> openFailed;
    // The receiver was identified as another model; its name is to be shown.
    std::function<void(const std::string& unitName)> modelChanged;
    // The user chose the speed in the setup: a speed of 0 then leaves the line at the
    // speed it has.
    std::function<bool()> speedChosenByUser;
};
