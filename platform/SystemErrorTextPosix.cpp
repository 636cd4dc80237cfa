#include <cctype>
#include <cerrno>
#include <cstring>

#include "platform/SystemErrorText.h"

namespace platform {

std::string SystemErrorText(int error) {
    switch (error) {
        case EBUSY:
            return "device in use";
        case EACCES:
        case EPERM:
            return "permission denied";
        case ENOTTY:
            return "not a serial device";
        default:
            break;
    }
    std::string text = std::strerror(error);
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

bool SystemErrorNeedsUser(int error) {
    return error == EBUSY || error == EACCES || error == EPERM || error == ENOTTY;
}

}  // namespace platform
