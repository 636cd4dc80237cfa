#pragma once

#include <map>
#include <memory>

#include "platform/MemorySerialDevice.h"
#include "platform/SerialDeviceFactory.h"

namespace platform {

// Puts memory devices behind chosen port indices for the lifetime of the bank, so a test
// can say "a receiver on COM3" (Attach(2, &receiver)). Every port index not attached has
// no device and fails to open like a missing one.
class MemorySerialBank {
  public:
    MemorySerialBank();
    ~MemorySerialBank();
    MemorySerialBank(const MemorySerialBank&) = delete;
    MemorySerialBank& operator=(const MemorySerialBank&) = delete;

    // Attaches a new memory device with this peer (not owned; may be null) to the index.
    MemorySerialDevice& Attach(int portIndex, SerialPeer* peer = nullptr);
    // Removes the device: the port index then has none. A port that holds it keeps it.
    void Detach(int portIndex);
    // The device attached to the index, or nullptr.
    MemorySerialDevice* Device(int portIndex) const;

  private:
    std::map<int, std::shared_ptr<MemorySerialDevice>> devices_;
    SerialDeviceFactory previous_;
};

}  // namespace platform
