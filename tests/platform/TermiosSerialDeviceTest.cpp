#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "COMLINK/CommLink.h"
#include "COMLINK/LineSettings.h"
#include "COMLINK/Win32CommPort.h"
#include "platform/SerialDeviceFactory.h"
#include "platform/TermiosSerialDevice.h"
#include "tests/platform/PtyPair.h"

namespace {

using platform::TermiosSerialDevice;

class TermiosTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(pty.Ok()); }

    // COM3 is the slave of the pseudo-terminal, through the default factory.
    void MapCom3() { ::setenv("ORVANE_COM3", pty.SlavePath().c_str(), 1); }
    void TearDown() override { ::unsetenv("ORVANE_COM3"); }

    PtyPair pty;
};

TEST_F(TermiosTest, OpensRawAndExclusive) {
    TermiosSerialDevice first(pty.SlavePath());
    ASSERT_TRUE(first.Open()) << first.LastSystemError();
    termios t = pty.SlaveSettings();
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_NE(t.c_cflag & CLOCAL, 0u);

    TermiosSerialDevice second(pty.SlavePath());
    EXPECT_FALSE(second.Open());
    EXPECT_EQ(second.LastSystemError(), EBUSY);
    EXPECT_FALSE(second.IsOpen());

    ASSERT_TRUE(first.Close());
    EXPECT_TRUE(second.Open());
}

TEST_F(TermiosTest, SecondPortObjectOnTheSameDeviceIsRefused) {
    MapCom3();
    ::setenv("ORVANE_COM4", pty.SlavePath().c_str(), 1);
    Win32CommPort com3(2, 4096, 2048, 0);
    ASSERT_EQ(com3.LastError(), CL_OK);
    {
        Win32CommPort com4(3, 4096, 2048, 0);  // another index, the same device
        EXPECT_EQ(com4.LastError(), CL_ERR_GENERAL);
        EXPECT_FALSE(com4.IsOpen());
    }
    ::unsetenv("ORVANE_COM4");
    EXPECT_EQ(com3.WriteString("still mine"), 10);
    EXPECT_EQ(pty.ReadExactly(10, 2000), "still mine");
}

TEST_F(TermiosTest, MissingDeviceFailsToOpen) {
    TermiosSerialDevice device("/dev/ttyNoSuchDevice99");
    EXPECT_FALSE(device.Open());
    EXPECT_EQ(device.LastSystemError(), ENOENT);
    ::setenv("ORVANE_COM3", "/dev/ttyNoSuchDevice99", 1);
    Win32CommPort port(2, 4096, 2048, 0);
    EXPECT_EQ(port.LastError(), CL_ERR_GENERAL);
    EXPECT_EQ(port.SetLine(9600, 'N', 8, 1), CL_ERR_GENERAL);
}

TEST_F(TermiosTest, NotATerminalIsRefused) {
    TermiosSerialDevice device("/dev/null");
    EXPECT_FALSE(device.Open());
    EXPECT_EQ(device.LastSystemError(), ENOTTY);
}

TEST_F(TermiosTest, EverySpeedOfTheDialogsIsVisibleFromTheOtherEnd) {
    MapCom3();
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
    EXPECT_EQ(port.SetLine(12345, 'N', 8, 1), CL_ERR_BAUD);
    EXPECT_EQ(pty.SlaveSpeed(), B921600);
    EXPECT_EQ(port.SetLine(9600, 'N', 4, 1), CL_ERR_DATA_BITS);

    // A pseudo-terminal keeps speed and stop bits; it always carries 8 bits without parity.
    ASSERT_EQ(port.SetLine(4800, 'E', 7, 2), CL_OK);
    EXPECT_EQ(pty.SlaveSpeed(), B4800);
    EXPECT_NE(pty.SlaveSettings().c_cflag & CSTOPB, 0u);
    ASSERT_EQ(port.SetLine(4800, 'N', 8, 1), CL_OK);
    EXPECT_EQ(pty.SlaveSettings().c_cflag & CSTOPB, 0u);
}

TEST_F(TermiosTest, HandshakeReachesTheTerminalSettings) {
    MapCom3();
    Win32CommPort port(2, 4096, 2048, 0);
    ASSERT_EQ(port.SetHandshake(1, 1), CL_OK);
    termios t = pty.SlaveSettings();
    EXPECT_NE(t.c_iflag & IXON, 0u);
    EXPECT_NE(t.c_iflag & IXOFF, 0u);
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_EQ(t.c_cc[VSTOP], 0x13);
    ASSERT_EQ(port.SetHandshake(0, 0), CL_OK);
    t = pty.SlaveSettings();
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
}

TEST_F(TermiosTest, ReadsNeverWait) {
    MapCom3();
    Win32CommPort port(2, 4096, 2048, 0);
    ASSERT_EQ(port.LastError(), CL_OK);
    EXPECT_EQ(port.ReadByte(), CL_ERR_TIMEOUT);
    char buffer[8];
    EXPECT_EQ(port.ReadBlock(buffer, 8), 0);
    ASSERT_EQ(pty.Write(std::string("\x00\xff\r\n", 4)), 4u);
    QueueStatusRecord record{};
    for (int i = 0; i < 200 && record.rxCount < 4; ++i) {
        port.QueueStatus(record, 1);
        if (record.rxCount < 4)
            ::usleep(1000);
    }
    EXPECT_EQ(record.rxCount, 4);
    // Raw: no translation of CR, LF or the zero byte.
    EXPECT_EQ(port.ReadByte(), 0x00);
    EXPECT_EQ(port.ReadByte(), 0xFF);
    EXPECT_EQ(port.ReadByte(), '\r');
    EXPECT_EQ(port.ReadByte(), '\n');
    EXPECT_EQ(port.ReadByte(), CL_ERR_TIMEOUT);
}

TEST_F(TermiosTest, LargeWriteIsQueuedAndDeliveredWholeAndInOrder) {
    TermiosSerialDevice device(pty.SlavePath());
    ASSERT_TRUE(device.Open());
    ASSERT_TRUE(device.SetupComm(4096, 65535));
    std::string data(65535, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    std::uint32_t queued = 0;
    ASSERT_TRUE(device.Write(reinterpret_cast<const std::uint8_t*>(data.data()),
                             static_cast<std::uint32_t>(data.size()), queued, nullptr));
    EXPECT_EQ(queued, data.size());
    std::uint32_t errors = 0;
    platform::COMSTAT stat{};
    ASSERT_TRUE(device.ClearCommError(errors, &stat));
    EXPECT_GT(stat.cbOutQue, 0u);  // more than the kernel takes at once
    std::string got;
    for (int round = 0; round < 2000 && got.size() < data.size(); ++round) {
        got += pty.ReadAvailable(1);
        device.ClearCommError(errors, &stat);  // later calls push the rest
    }
    EXPECT_EQ(got.size(), data.size());
    EXPECT_TRUE(got == data);
    device.ClearCommError(errors, &stat);
    EXPECT_EQ(stat.cbOutQue, 0u);
}

TEST_F(TermiosTest, PurgeDropsBothQueues) {
    MapCom3();
    Win32CommPort port(2, 4096, 2048, 0);
    ASSERT_EQ(pty.Write("abcdef"), 6u);
    QueueStatusRecord record{};
    for (int i = 0; i < 200 && record.rxCount < 6; ++i) {
        port.QueueStatus(record, 1);
        if (record.rxCount < 6)
            ::usleep(1000);
    }
    ASSERT_EQ(record.rxCount, 6);
    EXPECT_EQ(port.Purge(PURGE_RECEIVE, 3), CL_ERR_GENERAL);
    EXPECT_EQ(port.ReadByte(), 'd');
    EXPECT_EQ(port.Purge(PURGE_RECEIVE, 0), CL_OK);
    EXPECT_EQ(port.ReadByte(), CL_ERR_TIMEOUT);

    // Fill the kernel and our queue while nobody reads the other end, then drop it.
    std::string block(2048, 'x');
    int total = 0;
    for (int i = 0; i < 200; ++i)
        total += port.WriteBlock(block.data(), 2048);
    port.QueueStatus(record, 2);
    EXPECT_GT(record.txCount, 0);
    EXPECT_EQ(port.Purge(PURGE_TRANSMIT, 0), CL_OK);
    port.QueueStatus(record, 2);
    EXPECT_EQ(record.txCount, 0);
    std::string arrived = pty.ReadAvailable();
    while (!arrived.empty()) {
        std::string more = pty.ReadAvailable(5);
        if (more.empty())
            break;
        arrived += more;
    }
    EXPECT_LT(static_cast<int>(arrived.size()), total);
}

TEST_F(TermiosTest, PseudoTerminalHasNoLineErrorsAndNoModemLines) {
    MapCom3();
    Win32CommPort port(2, 4096, 2048, 0);
    EXPECT_EQ(port.LineControl(3, 0), 0);  // lowering DTR does not fail
    EXPECT_EQ(port.LineControl(3, 1), 1);
    EXPECT_EQ(port.LineControl(12, -1), 0);
    EXPECT_EQ(port.LineControl(15, -1), 0);
    EXPECT_EQ(port.BreakControl(1), 1);
    EXPECT_EQ(port.BreakControl(0), 0);
    LineStatusBlock block;
    EXPECT_EQ(port.StatusBlock(block), CL_OK);
    EXPECT_EQ(block.bytes[3], 0);
    EXPECT_EQ(port.LastError(), CL_OK);
}

TEST_F(TermiosTest, TakingTheChannelDownLeavesTheLineAsItWas) {
    pty.SetSlaveSpeed(B2400);
    MapCom3();
    {
        Win32CommPort port(2, 4096, 2048, 0);
        CommLink link(port);
        LineSettings line(&link);
        ASSERT_EQ(line.SetBaud(115200), CL_OK);
        ASSERT_EQ(link.SetTxQueueSize(6144), CL_OK);
        EXPECT_EQ(pty.SlaveSpeed(), B115200);
    }
    EXPECT_EQ(pty.SlaveSpeed(), B2400);
}

TEST_F(TermiosTest, VanishedOtherEndFailsInsteadOfBlocking) {
    MapCom3();
    Win32CommPort port(2, 4096, 2048, 0);
    CommLink link(port);
    ::close(pty.Master());
    EXPECT_EQ(link.ReadByteTimed(0), CL_ERR_TIMEOUT);
    EXPECT_EQ(link.SendByte('x'), CL_ERR_SHORT_WRITE);
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
