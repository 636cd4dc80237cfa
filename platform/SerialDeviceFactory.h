#pragma once

#include <functional>
#include <memory>

#include "platform/SerialDevice.h"

namespace platform {

// Makes the device of a port index (0 for COM1), or nullptr when there is none. The
// device comes back closed; the port object opens it.
using SerialDeviceFactory = std::function<std::shared_ptr<SerialDevice>(int portIndex)>;

// The device of a port index through the installed factory (by default the machine's own).
std::shared_ptr<SerialDevice> MakeSerialDevice(int portIndex);

// Installs a factory (an empty one restores the default). Answers the previous one.
SerialDeviceFactory SetSerialDeviceFactory(SerialDeviceFactory factory);

// Installs a factory for the lifetime of the guard.
class ScopedSerialDeviceFactory {
  public:
    explicit ScopedSerialDeviceFactory(SerialDeviceFactory factory)
        : previous_(SetSerialDeviceFactory(std::move(factory))) {}
    ~ScopedSerialDeviceFactory() { SetSerialDeviceFactory(std::move(previous_)); }
    ScopedSerialDeviceFactory(const ScopedSerialDeviceFactory&) = delete;
    ScopedSerialDeviceFactory& operator=(const ScopedSerialDeviceFactory&) = delete;

  private:
    SerialDeviceFactory previous_;
};

}  // namespace platform
