#include "platform/MemorySerialBank.h"

namespace platform {

MemorySerialBank::MemorySerialBank() {
    previous_ = SetSerialDeviceFactory([this](int portIndex) -> std::shared_ptr<SerialDevice> {
        auto found = devices_.find(portIndex);
        if (found == devices_.end())
            return nullptr;
        return found->second;
    });
}

MemorySerialBank::~MemorySerialBank() {
    SetSerialDeviceFactory(std::move(previous_));
}

MemorySerialDevice& MemorySerialBank::Attach(int portIndex, SerialPeer* peer) {
    auto device = std::make_shared<MemorySerialDevice>(peer);
    devices_[portIndex] = device;
    return *device;
}

void MemorySerialBank::Detach(int portIndex) {
    devices_.erase(portIndex);
}

MemorySerialDevice* MemorySerialBank::Device(int portIndex) const {
    auto found = devices_.find(portIndex);
    return found == devices_.end() ? nullptr : found->second.get();
}

}  // namespace platform
