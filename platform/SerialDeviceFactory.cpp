#include "platform/SerialDeviceFactory.h"

#include "platform/SystemSerialDevice.h"

namespace platform {

namespace {

SerialDeviceFactory& Installed() {
    static SerialDeviceFactory factory;
    return factory;
}

}  // namespace

std::shared_ptr<SerialDevice> MakeSerialDevice(int portIndex) {
    SerialDeviceFactory& factory = Installed();
    return factory ? factory(portIndex) : MakeSystemSerialDevice(portIndex);
}

SerialDeviceFactory SetSerialDeviceFactory(SerialDeviceFactory factory) {
    SerialDeviceFactory previous = std::move(Installed());
    Installed() = std::move(factory);
    return previous;
}

}  // namespace platform
