#pragma once

#include <string>

namespace platform {

// What the system says about one of its error numbers (errno on POSIX, GetLastError on
// Windows), as a short text: "permission denied", "device in use", ...
std::string SystemErrorText(int error);

// Whether the error asks the user to act: the device is held by another program, the
// user may not open it, or it is no serial device.
bool SystemErrorNeedsUser(int error);

}  // namespace platform
