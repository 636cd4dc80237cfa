// The simulator tool on a real pseudo-terminal in real time, and its command line.

#include <fcntl.h>
#include <termios.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/sim/WireHost.h"
#include "tests/support/ReceiverSimProcess.h"
#include "tools/receiver-sim/SimCommandLine.h"

namespace {

// The host side: the device opened raw, like a serial port.
class Port {
  public:
    Port(const std::string& path, speed_t speed)
        : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        EXPECT_GE(fd_, 0) << path;
        SetSpeed(speed);
    }
    ~Port() { close(fd_); }
    void SetSpeed(speed_t speed) {
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        cfsetspeed(&t, speed);
        tcsetattr(fd_, TCSANOW, &t);
        tcflush(fd_, TCIFLUSH);
    }
    void Send(const Bytes& bytes) {
        EXPECT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    int Next(int ms = 2000) {
        const Bytes byte = Read(ms, 1);
        return byte.empty() ? -1 : byte[0];
    }
    // Reads for the given time, or until n bytes arrived.
    Bytes Read(int ms, std::size_t n = SIZE_MAX) {
        Bytes out;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        std::uint8_t buf[256];
        while (out.size() < n && std::chrono::steady_clock::now() < deadline) {
            pollfd fd{fd_, POLLIN, 0};
            const ssize_t got =
                poll(&fd, 1, 10) > 0 ? read(fd_, buf, std::min(sizeof buf, n - out.size())) : 0;
            out.insert(out.end(), buf, buf + std::max<ssize_t>(got, 0));
        }
        return out;
    }

  private:
    int fd_;
};

const std::string kVersion = "$PXRVCMD,VERSION*30\r\n";

TEST(ReceiverSimTool, AnswersAtItsSpeedAndGarblesAtAnother) {
    ReceiverSimProcess sim({"--model", "Pathwick"});
    ASSERT_EQ(sim.Path().rfind("/dev/", 0), 0u) << sim.Path();
    Port port(sim.Path(), B4800);
    port.Send(Bytes(kVersion.begin(), kVersion.end()));
    const Bytes reply = port.Read(1500);
    const std::string text(reply.begin(), reply.end());
    EXPECT_NE(text.find("$PXRVVER,037,2.05    ,"), std::string::npos) << text;

    port.SetSpeed(B9600);
    port.Send(Bytes(kVersion.begin(), kVersion.end()));
    const Bytes noise = port.Read(1200);
    EXPECT_FALSE(noise.empty());  // the receiver's chatter, read at the wrong speed
    for (std::uint8_t byte : noise)
        EXPECT_GE(byte, 0xC0);
    EXPECT_EQ(sim.Stop(SIGINT), 0);
}

TEST(ReceiverSimTool, WritesTheFlashAfterALoadAndEndsOnSigterm) {
    const std::string flash = "tool-flash.s3";
    std::remove(flash.c_str());
    ReceiverSimProcess sim({"--start", "loader", "--flash-out", flash, "--chatter", "0"});
    Port port(sim.Path(), B115200);
    StartLoad(port, 0x2D004000, 0x2D004FFF, 1);
    port.Send(wire::Record(0x2D004000, {0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(port.Read(2000, 2), (Bytes{0x55, 0x55}));
    port.Send(wire::EndRecord());
    EXPECT_EQ(port.Next(), 0x55);
    port.Read(300);  // the file is written as the load completes

    std::stringstream text;
    text << std::ifstream(flash).rdbuf();
    EXPECT_NE(text.str().find("S3092D004000DEADBEEF"), std::string::npos) << text.str();
    EXPECT_EQ(sim.Stop(SIGTERM), 0);
    std::remove(flash.c_str());
}

TEST(SimCommandLine, RefusesWhatItCannotUse) {
    for (const char* refused :
         {"--model Nope", "--model Pathwick --product-code 037", "--product-code 37", "--speed",
          "--speed fast", "--start middle", "--pace=yes", "--fault resend:code=90",
          "--sector-size 5000", "--no-database --poi-header AMERICAS", "--frobnicate"}) {
        std::istringstream words(refused);
        const std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
        SimCommandLine line;
        std::string error;
        EXPECT_TRUE(!line.Parse(args, error) && !error.empty()) << refused;
    }
}

}  // namespace
