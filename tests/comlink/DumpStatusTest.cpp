#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "COMLINK/CommLink.h"
#include "COMLINK/LineSettings.h"
#include "COMLINK/Win32CommPort.h"
#include "tests/support/MemorySerialFixture.h"

namespace {

using DumpTest = MemorySerialFixture;

std::vector<std::string> Dump(Win32CommPort& port) {
    std::vector<std::string> lines;
    port.DumpStatus([&](const char* line) { lines.emplace_back(line); });
    return lines;
}

TEST_F(DumpTest, PortDumpsSixExactLines) {
    Win32CommPort port(0, 4096, 2048, 0);
    CommLink link(port);
    LineSettings line(&link);
    ASSERT_EQ(line.SetBaud(9600), CL_OK);
    ASSERT_EQ(link.SetTxQueueSize(6144), CL_OK);
    EXPECT_EQ(Dump(port),
              (std::vector<std::string>{
                  "Port type: MS Win32  BaudRate: 9600    ByteSize: 8  Parity: 0",
                  "StopBits: 0  fBinary: 1  fRtsControl: 1",
                  "Parity: 0  OutCtsFlow: 0  OutDsrFlow: 0  DtrControl: 1  OutX: 0  InX: 0",
                  "Null: 0  XonChar: 11  XoffChar: 13",
                  "XonLim: 1024  XoffLim: 128   EofChr: 00  EvtChr: 00",
                  "RX sz/ct:  4096/0      TX sz/ct:  6144/0      BLOCK SENT:0  BLOCK RECEIVED:0",
              }));

    // Counts, flags, and fields written but not applied show too.
    ASSERT_EQ(port.SetLine(115200, 'E', 7, 2), CL_OK);
    EXPECT_EQ(port.SetLine(300, 'M', 9, 1), CL_ERR_DATA_BITS);  // leaves 300 and mark
    port.SetEventChar(0xA5);
    Deliver("abc");
    device.SetXoffHold(true);
    port.WriteString("12345");
    std::vector<std::string> lines = Dump(port);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Port type: MS Win32  BaudRate: 300     ByteSize: 7  Parity: 3");
    EXPECT_EQ(lines[1], "StopBits: 2  fBinary: 1  fRtsControl: 1");
    EXPECT_EQ(lines[4], "XonLim: 1024  XoffLim: 128   EofChr: 00  EvtChr: a5");
    EXPECT_EQ(lines[5],
              "RX sz/ct:  4096/3      TX sz/ct:  6144/5      BLOCK SENT:0  BLOCK RECEIVED:1");
}

}  // namespace
