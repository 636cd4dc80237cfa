#pragma once

#include <memory>

#include "platform/SerialDevice.h"

namespace platform {

// The machine's own device behind a port index (0 for COM1), closed, or nullptr when
// there is none: termios on POSIX, \\.\COMn on Windows. Names the port's device to
// SerialDiagnostics.
std::shared_ptr<SerialDevice> MakeSystemSerialDevice(int portIndex);

}  // namespace platform
