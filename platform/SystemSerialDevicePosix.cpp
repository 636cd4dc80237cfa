#include "platform/ComPortNames.h"
#include "platform/SerialDiagnostics.h"
#include "platform/SystemSerialDevice.h"
#include "platform/TermiosSerialDevice.h"

namespace platform {

std::shared_ptr<SerialDevice> MakeSystemSerialDevice(int portIndex) {
    std::string path = ComPortNames::PathOf(portIndex);
    SerialDiagnostics::NamePort(portIndex, path);
    if (path.empty())
        return nullptr;
    return std::make_shared<TermiosSerialDevice>(path);
}

}  // namespace platform
