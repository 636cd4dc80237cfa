#pragma once

#include <string>
#include <vector>

namespace platform {

// Which device stands behind COM<n>. On Windows it is \\.\COM<n> itself, and the default
// list is the ports the system knows. On POSIX:
//
// ORVANE_COM<n> in the environment names the device of COM<n> (e.g.
// ORVANE_COM1=/dev/ttyUSB0). Without it, COM<n> is the n-th device of this list: the USB
// serial adapters /dev/ttyUSB0, /dev/ttyUSB1, ..., then /dev/ttyACM0, /dev/ttyACM1, ...,
// then the built-in ports /dev/ttyS0, /dev/ttyS1, ..., each group in number order and
// only devices that exist. A receiver on a USB adapter is therefore COM1 on a machine
// with one adapter, and the connection scan finds it without any setting.
class ComPortNames {
  public:
    // The device path of a port index (0 for COM1), or "" when there is none.
    static std::string PathOf(int portIndex);
    // The default list, as described above.
    static std::vector<std::string> DefaultDevices(const std::string& devDir = "/dev");
};

}  // namespace platform
