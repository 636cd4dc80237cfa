#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/SerialDiagnostics.h"

namespace {

using namespace platform;

TEST(SerialDiagnostics, LastFailureIsKeptPerDeviceUntilItOpens) {
    SerialDiagnostics::Clear();
    SerialDiagnostics::NamePort(0, "/dev/ttyUSB0");
    SerialDiagnostics::NamePort(1, "/dev/ttyUSB1");
    SerialDiagnostics::NamePort(2, "");
    SerialDiagnostics::Failure("open", "/dev/ttyUSB0", EACCES);
    SerialDiagnostics::Failure("flock", "/dev/ttyUSB1", EBUSY);
    SerialDiagnostics::Advice("/dev/ttyUSB0", "join the group");  // advice is no failure
    EXPECT_EQ(SerialDiagnostics::LastFailureOfPort(0), "open /dev/ttyUSB0: permission denied");
    EXPECT_EQ(SerialDiagnostics::LastFailureOfPort(1), "flock /dev/ttyUSB1: device in use");
    EXPECT_EQ(SerialDiagnostics::LastFailureOfPort(2), "COM3: no serial device");
    EXPECT_EQ(SerialDiagnostics::LastFailureOfPort(3), "");  // never asked for
    SerialDiagnostics::Opened("/dev/ttyUSB0");
    EXPECT_EQ(SerialDiagnostics::LastFailureOfPort(0), "");
    EXPECT_EQ(SerialDiagnostics::LastFailureOfPort(1), "flock /dev/ttyUSB1: device in use");
    SerialDiagnostics::Clear();
}

}  // namespace
