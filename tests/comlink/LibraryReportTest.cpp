#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>

#include "COMLINK/CommPort.h"
#include "ui/MessageBoxFlags.h"
#include "ui/scripted/ScriptedBackend.h"

namespace {

struct Operation {
    const char* name;
    int line;
    std::function<void(CommPort&)> call;
};

const Operation kOperations[] = {
    {"Idle", 241, [](CommPort& p) { p.Idle(); }},
    {"RefreshStatus", 243, [](CommPort& p) { p.RefreshStatus(); }},
    {"Configure", 245, [](CommPort& p) { p.Configure(); }},
    {"OpenDevice", 247, [](CommPort& p) { p.OpenDevice(); }},
    {"CloseDevice", 249, [](CommPort& p) { p.CloseDevice(); }},
    {"QueueStatus", 251,
     [](CommPort& p) {
         QueueStatusRecord r{};
         p.QueueStatus(r, 7);
     }},
    {"SetQueues", 255, [](CommPort& p) { p.SetQueues(0, 0, 0); }},
    {"SetHandshake", 257, [](CommPort& p) { p.SetHandshake(0, 0); }},
    {"GetHandshake", 259,
     [](CommPort& p) {
         int rx = 0;
         int tx = 0;
         p.GetHandshake(rx, tx);
     }},
    {"BreakControl", 261, [](CommPort& p) { p.BreakControl(0); }},
    {"LineControl", 263, [](CommPort& p) { p.LineControl(3, -1); }},
    {"SetLine", 265, [](CommPort& p) { p.SetLine(9600, 'N', 8, 1); }},
    {"GetLine", 267,
     [](CommPort& p) {
         std::int32_t baud = 0;
         char parity = 0;
         int data = 0;
         int stop = 0;
         p.GetLine(baud, parity, data, stop);
     }},
    {"StatusBlock", 269,
     [](CommPort& p) {
         LineStatusBlock b;
         p.StatusBlock(b);
     }},
    {"WriteByte", 271, [](CommPort& p) { p.WriteByte(0); }},
    {"WriteString", 273, [](CommPort& p) { p.WriteString("x"); }},
    {"WriteBlock", 275, [](CommPort& p) { p.WriteBlock("x", 1); }},
    {"TransmitChar", 277, [](CommPort& p) { p.TransmitChar(0); }},
    {"ReadByte", 279, [](CommPort& p) { p.ReadByte(); }},
    {"ReadBlock", 281,
     [](CommPort& p) {
         char b[1];
         p.ReadBlock(b, 1);
     }},
    {"Purge", 283, [](CommPort& p) { p.Purge(0, 0); }},
    {"DumpStatus", 285, [](CommPort& p) { p.DumpStatus([](const char*) {}); }},
};

void PrintTo(const Operation& operation, std::ostream* out) {
    *out << operation.name;
}

ui::ScriptedBackend* shownBy = nullptr;

// Runs at exit in the child: proves the exit was a normal one and tells what was shown.
void TellWhatWasShown() {
    if (shownBy == nullptr)
        return;
    for (const auto* box : shownBy->Log().MessageBoxes()) {
        std::fprintf(stderr, "box caption=[%s] flags=%u\n", box->caption.c_str(), box->flags);
    }
}

// In the child: the scripted user presses OK on exactly the expected box; anything else
// fails the script and ends the child with status 2.
void CallOnPlainPort(const Operation& operation) {
    static ui::ScriptedBackend backend;
    backend.SetFailureHandler([](const std::string& why) {
        std::fprintf(stderr, "script failed: %s\n", why.c_str());
        std::_Exit(2);
    });
    std::string text = "Pure Virtual function called @COMLINK," + std::to_string(operation.line) +
                       "\nUnable to continue execution";
    backend.OnMessageBox(text, "Library Error").Press(ui::IDOK);
    shownBy = &backend;
    std::atexit(TellWhatWasShown);
    CommPort port(0);
    operation.call(port);
    std::fprintf(stderr, "returned\n");
    std::_Exit(3);
}

class LibraryReportTest : public ::testing::TestWithParam<Operation> {};

TEST_P(LibraryReportTest, PlainPortOperationReportsItsLineAndExits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(CallOnPlainPort(GetParam()), ::testing::ExitedWithCode(1),
                "box caption=\\[Library Error\\] flags=0\n");
}

INSTANTIATE_TEST_SUITE_P(AllOperations, LibraryReportTest, ::testing::ValuesIn(kOperations),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LibraryReportWithoutWindows, ReportGoesToStandardError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            CommPort port(1);
            port.ReadByte();
        },
        ::testing::ExitedWithCode(1),
        "Pure Virtual function called @COMLINK,279\nUnable to continue execution");
}

TEST(LibraryReportReserved, ReservedOperationsShowNothing) {
    CommPort port(0);
    EXPECT_EQ(port.Reserved1(), CL_ERR_UNSUPPORTED);
    EXPECT_EQ(port.Reserved2(), CL_ERR_UNSUPPORTED);
}

}  // namespace
