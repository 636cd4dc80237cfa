#pragma once

#include <string>

namespace platform {

// What the system says about one of its error numbers (errno on POSIX, GetLastError on
// Windows), as a short text: "permission denied", "device in use", ...
std::string SystemErrorText(int error);

}  // namespace platform
