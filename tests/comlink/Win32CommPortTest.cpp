#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "COMLINK/CommSignal.h"
#include "COMLINK/PortOpenCount.h"
#include "COMLINK/Win32CommPort.h"
#include "COMLINK/ZeroAlloc.h"
#include "tests/comlink/MemoryPortFixture.h"

namespace {

using platform::MemorySerialDevice;

using PortTest = MemoryPortTest;

TEST_F(PortTest, ConfigureOpensTheDeviceAndAppliesItsDefaults) {
    Win32CommPort port(0, 4096, 2048, 0);
    ASSERT_EQ(port.LastError(), CL_OK);
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(PortOpenCount::Get(0), 1);
    EXPECT_EQ(device.RxQueueSize(), 4096u);
    EXPECT_EQ(device.TxQueueSize(), 2048u);
    // Configure applied 19200 8N1 with RTS off; the constructor then raised DTR and RTS
    // on the line without applying the block.
    ASSERT_EQ(AppliedBauds(), std::vector<std::uint32_t>{19200});
    const platform::DCB& applied = device.State();
    EXPECT_EQ(applied.fRtsControl, platform::RTS_CONTROL_DISABLE);
    EXPECT_EQ(applied.XonLim, 1024);
    EXPECT_EQ(applied.XoffLim, 128);
    EXPECT_EQ(applied.XonChar, 0x11);
    EXPECT_EQ(applied.XoffChar, 0x13);
    EXPECT_TRUE(device.Dtr());
    EXPECT_TRUE(device.Rts());
    EXPECT_EQ(port.Settings()->fRtsControl, platform::RTS_CONTROL_ENABLE);
}

TEST_F(PortTest, ConfigureKeepsTheFieldsItDoesNotSet) {
    platform::DCB reported{};
    reported.BaudRate = 4800;
    reported.ByteSize = 7;
    reported.fParity = 1;
    reported.fTXContinueOnXoff = 1;
    reported.fAbortOnError = 1;
    reported.ErrorChar = '?';
    reported.fNull = 1;
    reported.EofChar = 0x1A;
    device.Preset(reported);
    Win32CommPort port(0, 4096, 2048, 0);
    const platform::DCB& applied = device.State();
    EXPECT_EQ(applied.BaudRate, 19200u);
    EXPECT_EQ(applied.ByteSize, 8);
    EXPECT_EQ(applied.fParity, 1);
    EXPECT_EQ(applied.fTXContinueOnXoff, 1);
    EXPECT_EQ(applied.fAbortOnError, 1);
    EXPECT_EQ(applied.ErrorChar, '?');
    EXPECT_EQ(applied.fNull, 0);
    EXPECT_EQ(applied.EofChar, 0);
}

TEST_F(PortTest, SecondPortOnAnOpenIndexIsRefusedAndCannotCloseTheFirst) {
    auto first = std::make_unique<Win32CommPort>(0, 4096, 2048, 0);
    ASSERT_EQ(first->LastError(), CL_OK);
    {
        Win32CommPort second(0, 4096, 2048, 0);
        EXPECT_EQ(second.LastError(), CL_ERR_IN_USE);
        EXPECT_EQ(device.OpenCount(), 1);
        EXPECT_EQ(second.SetLine(9600, 'N', 8, 1), CL_ERR_GENERAL);
    }
    // The refused object left the device and the count alone.
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(PortOpenCount::Get(0), 1);
    EXPECT_EQ(first->SetLine(9600, 'N', 8, 1), CL_OK);
    first.reset();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_FALSE(device.Dtr());
    EXPECT_FALSE(device.Rts());
    EXPECT_EQ(PortOpenCount::Get(0), 0);
    Win32CommPort third(0, 4096, 2048, 0);
    EXPECT_EQ(third.LastError(), CL_OK);
}

TEST_F(PortTest, IndicesOutsideTheTableOpenNothing) {
    bank.Attach(PortOpenCount::kEntries);
    for (int index : {-1, PortOpenCount::kEntries}) {
        Win32CommPort port(index, 4096, 2048, 0);
        EXPECT_EQ(port.LastError(), CL_ERR_DEVICE) << index;
        EXPECT_FALSE(port.IsOpen());
    }
    EXPECT_EQ(bank.Device(PortOpenCount::kEntries)->OpenCount(), 0);
}

TEST_F(PortTest, MissingDeviceLeavesAPortWhoseOperationsFail) {
    Win32CommPort port(3, 4096, 2048, 0);  // nothing attached to COM4
    EXPECT_EQ(port.LastError(), CL_ERR_GENERAL);
    EXPECT_EQ(PortOpenCount::Get(3), 0);
    EXPECT_EQ(port.SetLine(9600, 'N', 8, 1), CL_ERR_GENERAL);
    EXPECT_EQ(port.ReadByte(), CL_ERR_TIMEOUT);
    EXPECT_EQ(port.WriteByte('x'), CL_ERR_SHORT_WRITE);
    EXPECT_EQ(port.BreakControl(1), CL_ERR_BREAK);
    EXPECT_EQ(port.TransmitChar('x'), CL_ERR_GENERAL);
}

TEST_F(PortTest, FailedAllocationHoldsNoBuffersAndOpensNothing) {
    std::int32_t baud = 1;
    char parity = 'Q';
    int dataBits = 2;
    int stopBits = 3;
    for (int successes : {0, 1, 2}) {
        ZeroAllocFailAfter(successes);
        Win32CommPort port(0, 4096, 2048, 0);
        ZeroAllocFailAfter(-1);
        EXPECT_EQ(port.LastError(), CL_ERR_NO_MEMORY);
        EXPECT_EQ(port.Settings(), nullptr);
        EXPECT_EQ(port.SetLine(9600, 'N', 8, 1), CL_ERR_GENERAL);
        EXPECT_EQ(port.SetHandshake(0, 0), CL_ERR_GENERAL);
        LineStatusBlock block;
        EXPECT_EQ(port.StatusBlock(block), CL_ERR_GENERAL);
        port.GetLine(baud, parity, dataBits, stopBits);
    }
    EXPECT_EQ(baud, 1);
    EXPECT_EQ(parity, 'Q');
    EXPECT_EQ(dataBits, 2);
    EXPECT_EQ(stopBits, 3);
    EXPECT_EQ(device.OpenCount(), 0);

    Win32CommPort deferred(0, 4096, 2048, 1);
    EXPECT_EQ(deferred.LastError(), CL_OK);
    EXPECT_EQ(deferred.Settings(), nullptr);
    EXPECT_EQ(device.OpenCount(), 0);
}

TEST_F(PortTest, ShortWriteQueuesWhatFitsAndRecordsIt) {
    Win32CommPort port(0, 64, 16, 0);
    device.SetXoffHold(true);  // nothing leaves, so the queue fills
    EXPECT_EQ(port.WriteString("0123456789AB"), 12);
    EXPECT_EQ(port.LastError(), CL_OK);
    EXPECT_EQ(port.WriteBlock("abcdefghij", 10), 4);
    EXPECT_EQ(port.LastError(), CL_ERR_SHORT_WRITE);
    EXPECT_EQ(port.WriteByte('z'), CL_ERR_SHORT_WRITE);
    device.SetXoffHold(false);
    QueueStatusRecord record{};
    port.QueueStatus(record, 7);
    EXPECT_EQ(Sent(), "0123456789ABabcd");
}

TEST_F(PortTest, DriverTakingLessIsAShortWrite) {
    Win32CommPort port(0, 64, 16, 0);
    device.LimitNextWrite(3);
    EXPECT_EQ(port.WriteBlock("abcdef", 6), 3);
    EXPECT_EQ(port.TakeLastError(), CL_ERR_SHORT_WRITE);
    EXPECT_EQ(Sent(), "abc");
}

TEST_F(PortTest, NegativeOrNullWritesQueueNothing) {
    Win32CommPort port(0, 64, 16, 0);
    char buffer[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(port.WriteBlock(buffer, -1), 0);
    EXPECT_EQ(port.WriteBlock(nullptr, 5), 0);
    EXPECT_EQ(port.WriteString(nullptr), 0);
    EXPECT_EQ(Sent(), "");
}

TEST_F(PortTest, ReadByteAnswersOnlyBytesReallyRead) {
    Win32CommPort port(0, 64, 16, 0);
    EXPECT_EQ(port.ReadByte(), CL_ERR_TIMEOUT);
    Deliver(std::string("\0\xff", 2));
    EXPECT_EQ(port.ReadByte(), 0);
    EXPECT_EQ(port.ReadByte(), 0xFF);
    EXPECT_EQ(port.ReadByte(), CL_ERR_TIMEOUT);
    Deliver("hello");
    char buffer[16] = {};
    EXPECT_EQ(port.ReadBlock(buffer, 3), 3);
    EXPECT_EQ(port.ReadBlock(buffer + 3, 16), 2);
    EXPECT_EQ(std::string(buffer), "hello");
    EXPECT_EQ(port.ReadBlock(buffer, 16), 0);
}

TEST_F(PortTest, PurgeWithACountDropsBytesUntilTheQueueRunsEmpty) {
    Win32CommPort port(0, 64, 16, 0);
    Deliver("ab");
    EXPECT_EQ(port.Purge(PURGE_RECEIVE, 3), CL_OK);
    EXPECT_EQ(device.RxQueued(), 0u);
    Deliver("abcde");
    EXPECT_EQ(port.Purge(PURGE_RECEIVE, 3), CL_ERR_GENERAL);
    EXPECT_EQ(device.RxQueued(), 2u);
    EXPECT_EQ(port.ReadByte(), 'd');
    Deliver("xyz");
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
    EXPECT_EQ(port.Settings()->BaudRate, 4800u);
    EXPECT_EQ(port.Settings()->Parity, platform::EVENPARITY);
    EXPECT_EQ(device.State().BaudRate, 19200u);  // not applied

    EXPECT_EQ(port.SetLine(2400, 'O', 7, 3), CL_ERR_STOP_BITS);
    EXPECT_EQ(port.Settings()->ByteSize, 7);
    EXPECT_EQ(port.Settings()->BaudRate, 2400u);

    // The next successful apply (here the handshake's) carries them to the device.
    EXPECT_EQ(port.SetHandshake(0, 0), CL_OK);
    EXPECT_EQ(device.Line().baud, 2400u);
    EXPECT_EQ(device.Line().parity, 'O');
    EXPECT_EQ(device.Line().dataBits, 7);
}

TEST_F(PortTest, FiveDataBitsAlwaysGetOneAndAHalfStopBits) {
    Win32CommPort port(0, 64, 16, 0);
    ASSERT_EQ(port.SetLine(300, 'N', 5, 2), CL_OK);
    EXPECT_EQ(port.Settings()->StopBits, platform::ONE5STOPBITS);
    EXPECT_EQ(device.Line().stopBits, 15);
    ASSERT_EQ(port.SetLine(300, 'N', 5, 1), CL_OK);
    EXPECT_EQ(device.Line().stopBits, 15);
    // Reads back as one stop bit: only "two" is reported as 2.
    std::int32_t baud = 0;
    char parity = 0;
    int dataBits = 0;
    int stopBits = 0;
    port.GetLine(baud, parity, dataBits, stopBits);
    EXPECT_EQ(stopBits, 1);
}

TEST_F(PortTest, GetLineGivesBackWhatSetLineApplied) {
    Win32CommPort port(0, 64, 16, 0);
    ASSERT_EQ(port.SetLine(4800, 'E', 7, 2), CL_OK);
    std::int32_t baud = 0;
    char parity = 0;
    int dataBits = 0;
    int stopBits = 0;
    port.GetLine(baud, parity, dataBits, stopBits);
    EXPECT_EQ(baud, 4800);
    EXPECT_EQ(parity, 'E');
    EXPECT_EQ(dataBits, 7);
    EXPECT_EQ(stopBits, 2);
    for (char letter : {'N', 'O', 'E', 'M', 'S'}) {
        ASSERT_EQ(port.SetLine(9600, letter, 8, 1), CL_OK);
        port.GetLine(baud, parity, dataBits, stopBits);
        EXPECT_EQ(parity, letter);
    }
}

TEST_F(PortTest, DeviceRefusalsTranslateToLibraryCodes) {
    Win32CommPort port(0, 64, 16, 0);
    struct Case {
        int systemError;
        int code;
    };
    const Case cases[] = {
        {platform::IE_BAUDRATE, CL_ERR_BAUD},
        {platform::IE_BYTESIZE, CL_ERR_DATA_BITS},
        {platform::IE_HARDWARE, CL_ERR_DEVICE},
        {platform::IE_NOPEN, CL_ERR_DEVICE},
        {platform::IE_BADID, CL_ERR_DEVICE},
        {platform::IE_DEFAULT, CL_ERR_TX_HANDSHAKE},
        {platform::IE_MEMORY, CL_ERR_NO_MEMORY},
        {platform::IE_OPEN, CL_ERR_IN_USE},
        {EIO, CL_ERR_GENERAL},
        {EACCES, CL_ERR_GENERAL},
    };
    for (const Case& c : cases) {
        device.FailCall(MemorySerialDevice::Call::SetCommState, c.systemError);
        EXPECT_EQ(port.SetLine(9600, 'N', 8, 1), c.code) << c.systemError;
        EXPECT_EQ(port.TakeLastError(), c.code);
    }
    // Speeds and sizes the device refuses on its own.
    device.SetBaudFilter([](std::uint32_t baud) { return baud != 12345; });
    EXPECT_EQ(port.SetLine(12345, 'N', 8, 1), CL_ERR_BAUD);
    EXPECT_EQ(port.SetLine(9600, 'N', 4, 1), CL_ERR_DATA_BITS);
}

TEST_F(PortTest, HandshakeCodes) {
    Win32CommPort port(0, 64, 16, 0);
    int rx = -1;
    int tx = -1;
    EXPECT_EQ(port.SetHandshake(13, 0), CL_ERR_UNSUPPORTED);
    EXPECT_EQ(port.TakeLastError(), CL_ERR_UNSUPPORTED);
    EXPECT_EQ(port.SetHandshake(2, 0), CL_ERR_GENERAL);
    EXPECT_EQ(port.TakeLastError(), CL_ERR_RX_HANDSHAKE);
    EXPECT_EQ(port.SetHandshake(0, 14), CL_ERR_TX_HANDSHAKE);
    EXPECT_EQ(port.TakeLastError(), CL_ERR_TX_HANDSHAKE);
    EXPECT_EQ(port.SetHandshake(0, 15), CL_ERR_UNSUPPORTED);
    port.GetHandshake(rx, tx);
    EXPECT_EQ(rx, 0);
    EXPECT_EQ(tx, 0);

    ASSERT_EQ(port.SetHandshake(CS_XONXOFF, CS_CTS), CL_OK);
    EXPECT_EQ(device.State().fInX, 1);
    EXPECT_EQ(device.State().fOutxCtsFlow, 1);
    EXPECT_EQ(port.GetHandshake(rx, tx), CL_OK);
    EXPECT_EQ(rx, CS_XONXOFF);
    EXPECT_EQ(tx, CS_CTS);

    ASSERT_EQ(port.SetHandshake(CS_RTS, CS_DSR), CL_OK);
    EXPECT_EQ(device.State().fInX, 0);
    EXPECT_EQ(device.State().fOutxCtsFlow, 0);
    EXPECT_EQ(device.State().fRtsControl, platform::RTS_CONTROL_HANDSHAKE);
    EXPECT_EQ(device.State().fOutxDsrFlow, 1);

    ASSERT_EQ(port.SetHandshake(CS_DTR, CS_XONXOFF), CL_OK);
    EXPECT_EQ(device.State().fRtsControl, platform::RTS_CONTROL_ENABLE);
    EXPECT_EQ(device.State().fDtrControl, platform::DTR_CONTROL_HANDSHAKE);
    EXPECT_EQ(device.State().fOutX, 1);

    ASSERT_EQ(port.SetHandshake(0, 0), CL_OK);
    EXPECT_EQ(device.State().fDtrControl, platform::DTR_CONTROL_ENABLE);
    EXPECT_EQ(device.State().fOutX, 0);

    // A refused apply keeps the codes of the last one that worked.
    device.FailCall(MemorySerialDevice::Call::SetCommState, EIO);
    EXPECT_EQ(port.SetHandshake(CS_XONXOFF, 0), CL_ERR_GENERAL);
    port.GetHandshake(rx, tx);
    EXPECT_EQ(rx, 0);
}

TEST_F(PortTest, LineControlSetsAndQueriesLines) {
    Win32CommPort port(0, 64, 16, 0);
    EXPECT_EQ(port.LineControl(CS_DTR, -1), 1);
    EXPECT_TRUE(device.Dtr());  // a query changes nothing
    EXPECT_EQ(port.LineControl(CS_DTR, 0), 0);
    EXPECT_FALSE(device.Dtr());
    EXPECT_EQ(port.Settings()->fDtrControl, platform::DTR_CONTROL_DISABLE);
    EXPECT_EQ(port.LineControl(CS_RTS, 0), 0);
    EXPECT_FALSE(device.Rts());
    EXPECT_EQ(port.LineControl(CS_RTS, 5), 1);
    EXPECT_TRUE(device.Rts());
    EXPECT_EQ(port.Settings()->fRtsControl, platform::RTS_CONTROL_ENABLE);

    EXPECT_EQ(port.LineControl(18, 1), 0);
    EXPECT_EQ(port.LineControl(9, 0), 2);
    EXPECT_EQ(port.LineControl(CS_CTS, -1), 0);
    device.SetModemInputs(platform::MS_CTS_ON | platform::MS_RLSD_ON);
    EXPECT_EQ(port.LineControl(CS_CTS, -1), 1);
    EXPECT_EQ(port.LineControl(CS_DSR, -1), 0);
    EXPECT_EQ(port.LineControl(CS_RI, -1), 0);
    EXPECT_EQ(port.LineControl(CS_DCD, -1), 1);

    EXPECT_EQ(port.LineControl(CS_BREAK, 1), 1);
    EXPECT_TRUE(device.BreakOn());
    EXPECT_EQ(port.LineControl(CS_BREAK, -1), 1);
    EXPECT_EQ(port.BreakControl(0), 0);
    EXPECT_FALSE(device.BreakOn());
    device.FailCall(MemorySerialDevice::Call::SetCommBreak, EIO);
    EXPECT_EQ(port.BreakControl(1), CL_ERR_BREAK);
    EXPECT_EQ(port.TakeLastError(), CL_ERR_BREAK);
    EXPECT_EQ(port.BreakControl(-1), 0);
}

TEST_F(PortTest, ErrorQueriesSeeCollectedBitsUntilAStatusBlockTakesThem) {
    Win32CommPort port(0, 64, 16, 0);
    device.InjectLineErrors(platform::CE_FRAME | platform::CE_RXOVER);
    EXPECT_EQ(port.LineControl(CS_FRAMING_ERROR, -1), 0);  // not collected yet
    port.RefreshStatus();
    EXPECT_EQ(port.LineControl(CS_FRAMING_ERROR, -1), 1);
    EXPECT_EQ(port.LineControl(CS_RX_OVERFLOW, -1), 1);
    EXPECT_EQ(port.LineControl(CS_FRAMING_ERROR, -1), 1);  // queries do not clear
    EXPECT_EQ(port.LineControl(CS_OVERRUN, -1), 0);

    device.InjectLineErrors(platform::CE_OVERRUN | platform::CE_BREAK | platform::CE_RXPARITY);
    device.SetModemInputs(platform::MS_DSR_ON | platform::MS_RING_ON);
    LineStatusBlock block;
    ASSERT_EQ(port.StatusBlock(block), CL_OK);
    // DTR 1, RTS 1, BREAK 0, DSR 1 | CTS 0, RI 1, DCD 0, 20 | 19, 17, 18, break received 1 |
    // parity 1, framing 1, overflow 1, overrun 1
    EXPECT_EQ(block.bytes[0], 0x01 | 0x04 | 0x40);
    EXPECT_EQ(block.bytes[1], 0x04);
    EXPECT_EQ(block.bytes[2], 0x40);
    EXPECT_EQ(block.bytes[3], 0x55);
    ASSERT_EQ(port.StatusBlock(block), CL_OK);
    EXPECT_EQ(block.bytes[2], 0x00);
    EXPECT_EQ(block.bytes[3], 0x00);
}

TEST_F(PortTest, QueueStatusCountsAndBlockingFlags) {
    Win32CommPort port(0, 4096, 2048, 0);
    QueueStatusRecord record{};
    port.QueueStatus(record, 7);
    EXPECT_EQ(record.rxValid, 1);
    EXPECT_EQ(record.txValid, 1);
    EXPECT_EQ(record.rxSize, 4096);
    EXPECT_EQ(record.txSize, 2048);
    EXPECT_EQ(record.rxCount, 0);
    EXPECT_EQ(record.txCount, 0);
    EXPECT_EQ(record.blocking, 0);

    Deliver("abc");
    device.SetXoffSent(true);
    ASSERT_EQ(port.SetHandshake(0, CS_CTS), CL_OK);  // CTS is low: sending is held
    port.WriteString("12345");
    port.QueueStatus(record, 1);
    EXPECT_EQ(record.rxCount, 3);
    EXPECT_EQ(record.txCount, 5);
    EXPECT_EQ(record.blocking, QS_BLOCK_SENT | QS_BLOCK_RECEIVED);
    device.SetModemInputs(platform::MS_CTS_ON);
    port.QueueStatus(record, 2);
    EXPECT_EQ(record.txCount, 0);
    EXPECT_EQ(record.blocking, QS_BLOCK_SENT);
    EXPECT_EQ(Sent(), "12345");
}

TEST_F(PortTest, SetQueuesReplacesNonzeroSizesAndEmptiesBothQueues) {
    Win32CommPort port(0, 4096, 2048, 0);
    Deliver("old");
    EXPECT_EQ(port.SetQueues(0, 0, 6144), CL_OK);
    EXPECT_EQ(device.RxQueueSize(), 4096u);
    EXPECT_EQ(device.TxQueueSize(), 6144u);
    EXPECT_EQ(device.RxQueued(), 0u);
    EXPECT_EQ(device.State().XoffLim, 128);
    EXPECT_EQ(port.SetQueues(1000, 300, 0), CL_OK);
    EXPECT_EQ(device.RxQueueSize(), 1000u);
    EXPECT_EQ(device.TxQueueSize(), 6144u);
    EXPECT_EQ(device.State().XonLim, 250);
    EXPECT_EQ(device.State().XoffLim, 300);
    device.FailCall(MemorySerialDevice::Call::SetCommState, platform::IE_HARDWARE);
    EXPECT_EQ(port.SetQueues(0, 0, 0), CL_ERR_DEVICE);
}

TEST_F(PortTest, TransmitCharGoesAheadOfTheQueue) {
    Win32CommPort port(0, 64, 16, 0);
    device.SetXoffHold(true);
    port.WriteString("abc");
    EXPECT_EQ(port.TransmitChar('!'), CL_OK);
    device.SetXoffHold(false);
    QueueStatusRecord record{};
    port.QueueStatus(record, 7);
    EXPECT_EQ(Sent(), "!abc");
    device.FailCall(MemorySerialDevice::Call::TransmitCommChar, EIO);
    EXPECT_EQ(port.TransmitChar('x'), CL_ERR_GENERAL);
    EXPECT_EQ(port.LastError(), CL_OK);  // not recorded
}

TEST_F(PortTest, FailedCloseIsReported) {
    Win32CommPort port(0, 64, 16, 0);
    device.FailCall(MemorySerialDevice::Call::Close, EIO);
    EXPECT_EQ(port.CloseDevice(), CL_ERR_CLOSE);
    EXPECT_EQ(port.LastError(), CL_ERR_CLOSE);
}

TEST_F(PortTest, UnpluggedDeviceFailsEveryOperation) {
    Win32CommPort port(0, 64, 16, 0);
    Deliver("ab");
    device.SetPresent(false);
    EXPECT_EQ(port.ReadByte(), CL_ERR_TIMEOUT);
    EXPECT_EQ(port.WriteString("abc"), 0);
    EXPECT_EQ(port.TakeLastError(), CL_ERR_SHORT_WRITE);
    EXPECT_EQ(port.SetLine(9600, 'N', 8, 1), CL_ERR_GENERAL);
    QueueStatusRecord record{};
    port.QueueStatus(record, 7);
    EXPECT_EQ(record.rxCount, 0);
}

TEST_F(PortTest, EventOperations) {
    Win32CommPort port(0, 64, 16, 0);
    EXPECT_NE(port.SetEventChar('\n'), 0);
    EXPECT_EQ(device.State().EvtChar, '\n');
    EXPECT_EQ(port.Settings()->EvtChar, '\n');
    EXPECT_EQ(port.SetEventMask(platform::EV_RXCHAR), CL_OK);
    std::uint32_t mask = 0;
    EXPECT_EQ(port.GetEventMask(mask), CL_OK);
    EXPECT_EQ(mask, platform::EV_RXCHAR);
    // Waiting would block: it fails instead, without recording anything.
    EXPECT_EQ(port.WaitEvent(mask), CL_ERR_GENERAL);
    Deliver("x");
    EXPECT_EQ(port.WaitEvent(mask), CL_OK);
    EXPECT_EQ(mask, platform::EV_RXCHAR);
    EXPECT_EQ(port.LastError(), CL_OK);
    device.FailCall(MemorySerialDevice::Call::GetCommState, EIO);
    EXPECT_EQ(port.SetEventChar('x'), 0);
}

}  // namespace
