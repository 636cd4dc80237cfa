#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/SerialDiagnostics.h"
#include "platform/SerialTypes.h"

namespace {

using namespace platform;

class SerialDiagnosticsTest : public ::testing::Test {
  protected:
    void SetUp() override { SerialDiagnostics::Clear(); }
    void TearDown() override { SerialDiagnostics::Clear(); }
};

TEST_F(SerialDiagnosticsTest, FailuresSayCallDeviceAndReasonInPlainWords) {
    const std::pair<int, const char*> kReasons[] = {
        {EBUSY, "device in use"},
        {EACCES, "permission denied"},
        {EPERM, "permission denied"},
        {ENOENT, "no such file or directory"},
        {EIO, "input/output error"},
        {IE_BAUDRATE, "speed not supported"},
        {IE_BYTESIZE, "data bits not supported"},
    };
    for (const auto& [error, reason] : kReasons) {
        SerialDiagnostics::Failure("open", "/dev/ttyUSB0", error);
        EXPECT_EQ(SerialDiagnostics::LastFailure("/dev/ttyUSB0"),
                  std::string("open /dev/ttyUSB0: ") + reason);
    }
}

TEST_F(SerialDiagnosticsTest, LastFailureIsKeptPerDeviceUntilItOpens) {
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
}

}  // namespace
