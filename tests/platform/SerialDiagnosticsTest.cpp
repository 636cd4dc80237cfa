#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

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

TEST_F(SerialDiagnosticsTest, DefaultSinkPrintsOnlyAdviceAnInstalledSinkGetsEverything) {
    ::testing::internal::CaptureStderr();
    SerialDiagnostics::Failure("open", "/dev/ttyS0", ENOENT);
    SerialDiagnostics::Advice("/dev/ttyS0", "ask for access");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "ask for access\n");

    std::vector<SerialDiagnostic> said;
    {
        ScopedSerialDiagnosticSink sink([&](const SerialDiagnostic& d) { said.push_back(d); });
        ::testing::internal::CaptureStderr();
        SerialDiagnostics::Failure("read", "/dev/ttyS0", EIO);
        SerialDiagnostics::Advice("/dev/ttyS0", "ask for access");
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    }
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[0].kind, SerialDiagnostic::Kind::Failure);
    EXPECT_EQ(said[0].call, "read");
    EXPECT_EQ(said[0].device, "/dev/ttyS0");
    EXPECT_EQ(said[0].error, EIO);
    EXPECT_EQ(said[1].kind, SerialDiagnostic::Kind::Advice);
    EXPECT_EQ(said[1].text, "ask for access");
}

}  // namespace
