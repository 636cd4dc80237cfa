#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "COMLINK/CommLink.h"
#include "COMLINK/CommSignal.h"
#include "COMLINK/LineSettings.h"
#include "COMLINK/PortOpenCount.h"
#include "COMLINK/Win32CommPort.h"
#include "tests/support/MemorySerialFixture.h"

namespace {

using platform::MemorySerialDevice;
using PortTest = MemorySerialFixture;

TEST_F(PortTest, ConfigureAppliesItsDefaultsAndKeepsTheFieldsItDoesNotSet) {
    platform::DCB reported{};
    reported.ErrorChar = '?';
    reported.fNull = 1;
    device.Preset(reported);
    Win32CommPort port(0, 4096, 2048, 0);
    // 19200 8N1 applied with RTS off; DTR and RTS then raised without applying the block.
    ASSERT_EQ(AppliedBauds(), std::vector<std::uint32_t>{19200});
    EXPECT_EQ(device.State().fRtsControl, platform::RTS_CONTROL_DISABLE);
    EXPECT_TRUE(device.Dtr() && device.Rts());
    EXPECT_TRUE(device.State().ErrorChar == '?' && device.State().fNull == 0);
}

TEST_F(PortTest, SecondPortOnAnOpenIndexIsRefusedAndCannotCloseTheFirst) {
    auto first = std::make_unique<Win32CommPort>(0, 4096, 2048, 0);
    ASSERT_EQ(first->LastError(), CL_OK);
    {
        Win32CommPort second(0, 4096, 2048, 0);
        EXPECT_EQ(second.LastError(), CL_ERR_IN_USE);
        EXPECT_EQ(second.SetLine(9600, 'N', 8, 1), CL_ERR_GENERAL);
    }
    // The refused object left the device and the count alone.
    EXPECT_EQ(device.OpenCount(), 1);
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(PortOpenCount::Get(0), 1);
    EXPECT_EQ(first->SetLine(9600, 'N', 8, 1), CL_OK);
    first.reset();
    EXPECT_FALSE(device.IsOpen() || device.Dtr() || device.Rts());
    EXPECT_EQ(PortOpenCount::Get(0), 0);
}

TEST_F(PortTest, PortsThatOpenNothingFailEveryOperation) {
    bank.Attach(PortOpenCount::kEntries);
    // -1 and 16 lie outside the table; nothing is attached to COM4.
    const int kPorts[][2] = {
        {-1, CL_ERR_DEVICE}, {PortOpenCount::kEntries, CL_ERR_DEVICE}, {3, CL_ERR_GENERAL}};
    for (const auto& c : kPorts) {
        SCOPED_TRACE(c[0]);
        Win32CommPort port(c[0], 4096, 2048, 0);
        EXPECT_EQ(port.LastError(), c[1]);
        EXPECT_FALSE(port.IsOpen());
        // A link on it has no settings and hands over the failure once.
        CommLink link(port);
        EXPECT_TRUE(link.Line() == nullptr && link.Handshake() == nullptr);
        LineSettings line(&link);
        EXPECT_EQ(line.SetBaud(4800), CL_ERR_GENERAL);
        EXPECT_EQ(line.Baud(), 1200);
        unsigned short summary = 0xFFFF;
        EXPECT_EQ(link.LineErrors(summary), CL_ERR_GENERAL);  // the failed apply's record
        EXPECT_EQ(link.LineErrors(summary), CL_ERR_GENERAL);  // no handshake settings
        EXPECT_EQ(summary, 0);
        EXPECT_EQ(link.SendByte('x'), CL_ERR_SHORT_WRITE);
        EXPECT_EQ(link.ReadByteTimed(0), CL_ERR_TIMEOUT);
        EXPECT_EQ(port.SetLine(9600, 'N', 8, 1), CL_ERR_GENERAL);
    }
    EXPECT_EQ(PortOpenCount::Get(3), 0);
    EXPECT_EQ(bank.Device(PortOpenCount::kEntries)->OpenCount(), 0);
}

TEST_F(PortTest, WritesQueueWhatFitsAndRecordTheShortWrite) {
    // The device keeps its larger queue (its set-up fails): the port's size is the limit.
    device.FailCall(MemorySerialDevice::Call::SetupComm, EIO);
    Win32CommPort port(0, 64, 16, 0);
    EXPECT_EQ(port.WriteBlock("abcd", -1), 0);  // a negative count queues nothing
    EXPECT_EQ(port.WriteBlock(nullptr, 5), 0);
    EXPECT_EQ(port.WriteString(nullptr), 0);
    device.SetXoffHold(true);  // nothing leaves, so the queue fills
    EXPECT_EQ(port.WriteString("0123456789AB"), 12);
    EXPECT_EQ(port.WriteBlock("abcdefghij", 10), 4);
    EXPECT_EQ(port.TakeLastError(), CL_ERR_SHORT_WRITE);
    EXPECT_EQ(port.WriteByte('z'), CL_ERR_SHORT_WRITE);
    // A byte put ahead of a full queue: the room left is none, never less.
    EXPECT_EQ(port.TransmitChar('!'), CL_OK);
    EXPECT_EQ(port.WriteBlock("more", 4), 0);
    device.SetXoffHold(false);
    EXPECT_EQ(port.ReadByte(), CL_ERR_TIMEOUT);  // lets the queue drain
    EXPECT_EQ(Sent(), "!0123456789ABabcd");
    device.LimitNextWrite(3);  // the driver takes less than asked
    EXPECT_EQ(port.WriteBlock("abcdef", 6), 3);
    EXPECT_EQ(port.TakeLastError(), CL_ERR_SHORT_WRITE);
    EXPECT_EQ(Sent(), "abc");
}

TEST_F(PortTest, PurgeWithACountDropsBytesUntilTheQueueRunsEmpty) {
    Win32CommPort port(0, 64, 16, 0);
    Deliver("ab");
    EXPECT_EQ(port.Purge(PURGE_RECEIVE, 3), CL_OK);
    EXPECT_EQ(device.RxQueued(), 0u);
    Deliver("abcde");
    EXPECT_EQ(port.Purge(PURGE_RECEIVE, 3), CL_ERR_GENERAL);
    EXPECT_EQ(port.ReadByte(), 'd');
    EXPECT_EQ(port.Purge(PURGE_RECEIVE, 0), CL_OK);
    EXPECT_EQ(device.RxQueued(), 0u);
    device.SetXoffHold(true);
    port.WriteString("queued");
    EXPECT_EQ(port.Purge(PURGE_TRANSMIT, 0), CL_OK);
    EXPECT_EQ(device.TxQueued(), 0u);
    EXPECT_EQ(port.Purge(7, 0), CL_ERR_GENERAL);
}

TEST_F(PortTest, SetLineChecksFieldsInOrderAndKeepsWhatItWrote) {
    Win32CommPort port(0, 64, 16, 0);
    EXPECT_EQ(port.SetLine(9600, 'X', 8, 1), CL_ERR_PARITY);
    EXPECT_EQ(port.Settings()->BaudRate, 19200u);  // nothing written before the parity
    EXPECT_EQ(port.SetLine(4800, 'E', 9, 1), CL_ERR_DATA_BITS);
    EXPECT_EQ(port.TakeLastError(), CL_ERR_DATA_BITS);
    EXPECT_EQ(port.Settings()->Parity, platform::EVENPARITY);
    EXPECT_EQ(device.State().BaudRate, 19200u);  // not applied
    EXPECT_EQ(port.SetLine(2400, 'O', 7, 3), CL_ERR_STOP_BITS);
    // The next successful apply (here the handshake's) carries them to the device.
    EXPECT_EQ(port.SetHandshake(0, 0), CL_OK);
    EXPECT_EQ(device.Line().baud, 2400u);
    EXPECT_EQ(device.Line().parity, 'O');
    EXPECT_EQ(device.Line().dataBits, 7);
    // Refusals of the device become library codes.
    using namespace platform;
    const int kRefusals[][2] = {{IE_BAUDRATE, CL_ERR_BAUD},      {IE_BYTESIZE, CL_ERR_DATA_BITS},
                                {IE_HARDWARE, CL_ERR_DEVICE},    {IE_NOPEN, CL_ERR_DEVICE},
                                {IE_BADID, CL_ERR_DEVICE},       {IE_DEFAULT, CL_ERR_TX_HANDSHAKE},
                                {IE_MEMORY, CL_ERR_NO_MEMORY},   {IE_OPEN, CL_ERR_IN_USE},
                                {EIO, CL_ERR_GENERAL},           {EACCES, CL_ERR_GENERAL},
                                {EOPNOTSUPP, CL_ERR_UNSUPPORTED}};
    for (const auto& c : kRefusals) {
        device.FailCall(MemorySerialDevice::Call::SetCommState, c[0]);
        EXPECT_EQ(port.SetLine(9600, 'N', 8, 1), c[1]) << c[0];
        EXPECT_EQ(port.TakeLastError(), c[1]);
    }
    // A value the device refused does not stay behind to fail every later setting.
    EXPECT_EQ(port.Settings()->BaudRate, 2400u);
    device.SetBaudFilter([](std::uint32_t baud) { return baud != 12345; });
    EXPECT_EQ(port.SetLine(12345, 'N', 8, 1), CL_ERR_BAUD);
    EXPECT_EQ(port.SetHandshake(0, 0), CL_OK);
    EXPECT_EQ(device.Line().baud, 2400u);
}

TEST_F(PortTest, LineControlSetsAndQueriesLines) {
    Win32CommPort port(0, 64, 16, 0);
    device.SetModemInputs(platform::MS_CTS_ON | platform::MS_RLSD_ON);
    // Code, value (-1 queries), answer, then the device's lines: DTR 1, RTS 2, break 4.
    const int kSteps[][4] = {{CS_DTR, -1, 1, 3}, {CS_DTR, 0, 0, 2},   {CS_RTS, 0, 0, 0},
                             {CS_RTS, 5, 1, 2},  {CS_CTS, -1, 1, 2},  {CS_DSR, -1, 0, 2},
                             {CS_RI, -1, 0, 2},  {CS_DCD, -1, 1, 2},  {18, 1, 0, 2},
                             {9, 0, 2, 2},       {CS_BREAK, 1, 1, 6}, {CS_BREAK, -1, 1, 6},
                             {CS_BREAK, 0, 0, 2}};
    for (const auto& c : kSteps) {
        EXPECT_EQ(port.LineControl(c[0], c[1]), c[2]) << c[0] << " " << c[1];
        EXPECT_EQ(device.Dtr() + 2 * device.Rts() + 4 * device.BreakOn(), c[3]);
    }
    EXPECT_EQ(port.Settings()->fDtrControl, platform::DTR_CONTROL_DISABLE);
    device.FailCall(MemorySerialDevice::Call::SetCommBreak, EIO);
    EXPECT_EQ(port.BreakControl(1), CL_ERR_BREAK);
    EXPECT_EQ(port.TakeLastError(), CL_ERR_BREAK);
    EXPECT_EQ(port.BreakControl(-1), 0);
}

}  // namespace
