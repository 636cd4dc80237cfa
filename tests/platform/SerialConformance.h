#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/SerialDevice.h"
#include "tests/support/NamedCase.h"

// One serial line of a backend, as the conformance suite sees it: devices on the line,
// and the line's far end.
class SerialLine {
  public:
    virtual ~SerialLine() = default;
    // A new device on the line, closed.
    virtual std::shared_ptr<platform::SerialDevice> NewDevice() = 0;
    // The far end sends, now or after ms.
    virtual void Send(const std::string& bytes, int afterMs = 0) = 0;
    // What the device has sent: until size bytes have come or ms have passed.
    virtual std::string Receive(std::size_t size, int ms) = 0;
    // The far end stops taking what is sent (a pseudo-terminal nobody reads is full soon).
    virtual void HoldOutput() {}
};

struct SerialBackendCase : NamedCase {
    std::function<std::unique_ptr<SerialLine>()> make;
    bool hasModemLines;  // false: a pseudo-terminal, whose lines read as off
    bool restores;       // the line has its settings of before once the device closes
};

// Instantiated per backend: INSTANTIATE_TEST_SUITE_P(Name, SerialConformance, ...).
class SerialConformance : public ::testing::TestWithParam<SerialBackendCase> {
  protected:
    void SetUp() override;
    // The device open, or a failed assertion.
    std::shared_ptr<platform::SerialDevice> Opened();
    // Waits on the device (at most ms of the platform clock) until count bytes wait.
    std::uint32_t AwaitInput(platform::SerialDevice& device, std::uint32_t count, unsigned ms);

    std::unique_ptr<SerialLine> line;
};
