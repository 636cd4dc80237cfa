#pragma once

#include <string>
#include <vector>

namespace platform {

// The serial ports Windows knows, from HKLM\HARDWARE\DEVICEMAP\SERIALCOMM.
struct SerialCommEntry {
    int number = 0;      // 3 for COM3
    std::string device;  // the driver's device, e.g. \Device\Serial2
};

// In COM number order; names that are not COM<n> are left out.
std::vector<SerialCommEntry> ReadSerialCommRegistry();

}  // namespace platform
