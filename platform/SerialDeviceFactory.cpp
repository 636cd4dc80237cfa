#include "platform/SerialDeviceFactory.h"

#include "platform/ComPortNames.h"
#include "platform/SerialDiagnostics.h"
#include "platform/TermiosSerialDevice.h"

namespace platform {

namespace {

std::shared_ptr<SerialDevice> MakeTermiosDevice(int portIndex) {
    std::string path = ComPortNames::PathOf(portIndex);
    SerialDiagnostics::NamePort(portIndex, path);
    if (path.empty())
        return nullptr;
    return std::make_shared<TermiosSerialDevice>(path);
}

SerialDeviceFactory& Installed() {
    static SerialDeviceFactory factory;
    return factory;
}

}  // namespace

std::shared_ptr<SerialDevice> MakeSerialDevice(int portIndex) {
    SerialDeviceFactory& factory = Installed();
    return factory ? factory(portIndex) : MakeTermiosDevice(portIndex);
}

SerialDeviceFactory SetSerialDeviceFactory(SerialDeviceFactory factory) {
    SerialDeviceFactory previous = std::move(Installed());
    Installed() = std::move(factory);
    return previous;
}

}  // namespace platform
