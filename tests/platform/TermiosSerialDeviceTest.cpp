#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "COMLINK/CommLink.h"
#include "COMLINK/CommSignal.h"
#include "COMLINK/Win32CommPort.h"
#include "platform/SerialDiagnostics.h"
#include "platform/TermiosSerialDevice.h"
#include "platform/VirtualClock.h"
#include "tests/platform/SerialConformance.h"
#include "tests/support/PtyPair.h"
#include "tests/support/TempWorkDir.h"

namespace {

using platform::SerialDiagnostic;
using platform::SerialDiagnostics;
using platform::TermiosSerialDevice;

// A pseudo-terminal: the device on its slave, the test's far end on its master.
class PtyLine : public SerialLine {
  public:
    ~PtyLine() override {
        for (std::thread& later : senders_)
            later.join();
    }
    std::shared_ptr<platform::SerialDevice> NewDevice() override {
        return std::make_shared<TermiosSerialDevice>(pty_.SlavePath());
    }
    void Send(const std::string& bytes, int afterMs) override {
        senders_.emplace_back([this, bytes, afterMs] {
            std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
            pty_.Write(bytes);
        });
    }
    std::string Receive(std::size_t size, int ms) override { return pty_.ReadExactly(size, ms); }

  private:
    PtyPair pty_;
    std::vector<std::thread> senders_;
};

INSTANTIATE_TEST_SUITE_P(Termios, SerialConformance,
                         ::testing::Values(SerialBackendCase{
                             "Termios", [] { return std::make_unique<PtyLine>(); }, false, true}),
                         ByName);

// Real time, short: COM3 (and COM4) name the slave of a pseudo-terminal.
class TermiosTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty.Ok());
        ::setenv("ORVANE_COM3", pty.SlavePath().c_str(), 1);
    }
    void TearDown() override { ::unsetenv("ORVANE_COM3"); }

    PtyPair pty;
};

// The conformance suite sees the refusal; here its reason, as the status line shows it.
TEST_F(TermiosTest, ASecondOpenerIsRefusedAsInUse) {
    Win32CommPort com3(2, 4096, 2048, 0);
    ASSERT_EQ(com3.LastError(), CL_OK);
    TermiosSerialDevice second(pty.SlavePath());
    EXPECT_FALSE(second.Open());
    EXPECT_EQ(second.LastSystemError(), EBUSY);
    EXPECT_EQ(SerialDiagnostics::LastFailure(pty.SlavePath()),
              "open " + pty.SlavePath() + ": device in use");
}

// What is no serial port is refused before anything about it changes, with the reason
// for the status line; a missing device is what a scan meets everywhere and stays off it.
TEST_F(TermiosTest, WhatIsNoSerialPortIsRefusedWithTheReason) {
    TempWorkDir dir;
    TempWorkDir::Write("plain.txt", "S0\n");
    // The pseudo-terminal stands for the program's own: its standard input.
    int savedInput = ::dup(STDIN_FILENO);
    int terminal = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::dup2(terminal, STDIN_FILENO), STDIN_FILENO);
    const termios before = pty.SlaveSettings();
    const std::tuple<std::string, int, std::string, bool> kCases[] = {
        {"/dev/ttyNoSuchDevice99", ENOENT, "no such file or directory", false},
        {"/dev/null", ENOTTY, "not a serial device", true},
        {(dir.Path() / "plain.txt").string(), ENOTTY, "not a serial device", true},
        {pty.SlavePath(), platform::kErrorOwnTerminal, "the terminal this program runs in", true},
    };
    for (const auto& [path, error, reason, forUser] : kCases) {
        TermiosSerialDevice device(path);
        EXPECT_FALSE(device.Open());
        EXPECT_EQ(device.LastSystemError(), error) << path;
        ::setenv("ORVANE_COM3", path.c_str(), 1);
        Win32CommPort port(2, 4096, 2048, 0);
        EXPECT_EQ(port.LastError(), CL_ERR_GENERAL) << path;
        EXPECT_EQ(SerialDiagnostics::LastFailureOfPort(2), "open " + path + ": " + reason);
        EXPECT_EQ(SerialDiagnostics::LastFailureForUser(2),
                  forUser ? "open " + path + ": " + reason : "");
    }
    EXPECT_EQ(pty.SlaveSettings().c_lflag, before.c_lflag) << "the terminal was changed";
    ::dup2(savedInput, STDIN_FILENO);
    ::close(savedInput);
    ::close(terminal);

    // /dev/tty is the controlling terminal: a child's in a session of its own.
    pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        int controlling = ::open(pty.SlavePath().c_str(), O_RDWR);
        TermiosSerialDevice device("/dev/tty");
        bool refused = !device.Open() && device.LastSystemError() == platform::kErrorOwnTerminal;
        ::_exit(controlling >= 0 && refused ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0) << "/dev/tty was taken as a port";
}

TEST_F(TermiosTest, EverySpeedOfTheDialogsIsVisibleFromTheOtherEnd) {
    Win32CommPort port(2, 4096, 2048, 0);
    ASSERT_EQ(port.LastError(), CL_OK);
    EXPECT_EQ(pty.SlaveSpeed(), B19200);
    const std::pair<int, speed_t> speeds[] = {
        {1200, B1200},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {57600, B57600},
        {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
    };
    for (const auto& [baud, code] : speeds) {
        ASSERT_EQ(port.SetLine(baud, 'N', 8, 1), CL_OK) << baud;
        EXPECT_EQ(pty.SlaveSpeed(), code) << baud;
    }
    // A pseudo-terminal keeps speed and stop bits; it always carries 8 bits without parity.
    ASSERT_EQ(port.SetLine(4800, 'E', 7, 2), CL_OK);
    EXPECT_EQ(pty.SlaveSpeed(), B4800);
    EXPECT_NE(pty.SlaveSettings().c_cflag & CSTOPB, 0u);
    ASSERT_EQ(port.SetHandshake(1, 1), CL_OK);  // software handshake both ways
    EXPECT_EQ(pty.SlaveSettings().c_iflag & (IXON | IXOFF), IXON | IXOFF);
}

// What the device refuses is answered with its own code and said with its reason; the
// refused value does not stay behind to fail the settings after it.
TEST_F(TermiosTest, RefusedSettingAnswersItsOwnCodeAndLeavesLaterSettingsWorking) {
    Win32CommPort port(2, 4096, 2048, 0);
    ASSERT_EQ(port.LastError(), CL_OK);
    const std::string said = "tcsetattr " + pty.SlavePath() + ": ";
    EXPECT_EQ(port.SetLine(12345, 'N', 8, 1), CL_ERR_BAUD);
    EXPECT_EQ(SerialDiagnostics::LastFailureOfPort(2), said + "speed not supported");
    EXPECT_EQ(port.SetHandshake(CS_NONE, CS_NONE), CL_OK);
    // No handshake on DTR or DSR here: refused, not quietly ignored.
    EXPECT_EQ(port.SetHandshake(CS_DTR, CS_NONE), CL_ERR_UNSUPPORTED);
    EXPECT_EQ(port.SetHandshake(CS_NONE, CS_DSR), CL_ERR_UNSUPPORTED);
    EXPECT_EQ(port.SetLine(57600, 'N', 4, 1), CL_ERR_DATA_BITS);
    EXPECT_EQ(SerialDiagnostics::LastFailureOfPort(2), said + "data bits not supported");
    EXPECT_EQ(pty.SlaveSpeed(), B19200);
    EXPECT_EQ(port.SetLine(4800, 'N', 8, 1), CL_OK);
    EXPECT_EQ(pty.SlaveSpeed(), B4800);
}

TEST_F(TermiosTest, VanishedOtherEndIsOneDeviceErrorAndNoWait) {
    std::vector<SerialDiagnostic> said;
    platform::ScopedSerialDiagnosticSink sink(
        [&](const SerialDiagnostic& diagnostic) { said.push_back(diagnostic); });
    {
        Win32CommPort port(2, 4096, 2048, 0);
        CommLink link(port);
        pty.CloseMaster();
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(link.ReadByteTimed(5000), CL_ERR_DEVICE);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        unsigned short summary = 0xFF;
        EXPECT_EQ(link.LineErrors(summary), CL_ERR_DEVICE);
        EXPECT_EQ(link.LineErrors(summary), CL_OK);  // handed over once
        EXPECT_EQ(link.ReadByteTimed(0), CL_ERR_TIMEOUT);
        EXPECT_EQ(link.SendByte('x'), CL_ERR_DEVICE);
    }
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0].text, "ioctl FIONREAD " + pty.SlavePath() + ": input/output error");
}

// The hint a user without access to the device gets. Runs in a child that gives up root
// (root is never refused); as root the device is first handed to the group dialout.
void OpenWithoutPermission(const std::string& path) {
    if (::geteuid() == 0) {
        const group* dialout = ::getgrnam("dialout");
        if (::chown(path.c_str(), 0, dialout != nullptr ? dialout->gr_gid : 0) != 0 ||
            ::chmod(path.c_str(), 0660) != 0 || ::setgroups(0, nullptr) != 0 ||
            ::setgid(65534) != 0 || ::setuid(65534) != 0) {
            std::_Exit(4);
        }
    } else if (::chmod(path.c_str(), 0) != 0) {
        std::_Exit(4);
    }
    TermiosSerialDevice device(path);
    bool opened = device.Open();
    TermiosSerialDevice again(path);
    again.Open();  // said once per device
    if (SerialDiagnostics::LastFailure(path) != "open " + path + ": permission denied")
        std::_Exit(7);
    std::_Exit(opened ? 5 : (device.LastSystemError() == EACCES ? 0 : 6));
}

TEST_F(TermiosTest, PermissionDeniedSaysHowToGetAccess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child makes its own pseudo-terminal, so the device number is not known here.
    std::string hint = "^Cannot open /dev/pts/[0-9]+: permission denied\\. To get access, ";
    if (::geteuid() == 0 && ::getgrnam("dialout") != nullptr) {
        hint +=
            "join the group 'dialout' that owns it \\(sudo usermod -aG dialout \\$USER\\), "
            "then log out and in again\\.\n$";
    } else {
        hint += "[^\n]+\n$";
    }
    EXPECT_EXIT(OpenWithoutPermission(pty.SlavePath()), ::testing::ExitedWithCode(0), hint);
}

}  // namespace

// The last frame of an upload is written just before the port closes. What the kernel
// has taken is on its way and is not thrown away at close.
TEST_F(TermiosTest, OutputTheKernelTookSurvivesAnImmediateClose) {
    const std::string frame("\x5B\x00\x00\x00\x00\x5D", 6);
    std::string got;
    for (int round = 0; round < 200; ++round) {
        TermiosSerialDevice device(pty.SlavePath());
        ASSERT_TRUE(device.Open());
        std::uint32_t queued = 0;
        ASSERT_TRUE(device.Write(reinterpret_cast<const std::uint8_t*>(frame.data()),
                                 static_cast<std::uint32_t>(frame.size()), queued, nullptr));
        ASSERT_TRUE(device.Close());
        got += pty.ReadExactly(frame.size(), 1000);
    }
    EXPECT_EQ(got.size(), 200 * frame.size());
}
