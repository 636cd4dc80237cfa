#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "COMLINK/CommPort.h"
#include "COMLINK/LibraryReport.h"
#include "app/LibraryErrorBox.h"
#include "tests/support/scripted/ScriptedBackend.h"
#include "ui/MessageBoxFlags.h"

namespace {

// Every operation of the abstract port ends the program with its own line number.
QueueStatusRecord record{};
LineStatusBlock block;
std::int32_t baud = 0;
char parity = 0, buffer[1] = {};
int a = 0, b = 0;
const std::pair<int, void (*)(CommPort&)> kOperations[] = {
    {241, [](CommPort& p) { p.Idle(); }},
    {243, [](CommPort& p) { p.RefreshStatus(); }},
    {245, [](CommPort& p) { p.Configure(); }},
    {247, [](CommPort& p) { p.OpenDevice(); }},
    {249, [](CommPort& p) { p.CloseDevice(); }},
    {251, [](CommPort& p) { p.QueueStatus(record, 7); }},
    {255, [](CommPort& p) { p.SetQueues(0, 0, 0); }},
    {257, [](CommPort& p) { p.SetHandshake(0, 0); }},
    {259, [](CommPort& p) { p.GetHandshake(a, b); }},
    {261, [](CommPort& p) { p.BreakControl(0); }},
    {263, [](CommPort& p) { p.LineControl(3, -1); }},
    {265, [](CommPort& p) { p.SetLine(9600, 'N', 8, 1); }},
    {267, [](CommPort& p) { p.GetLine(baud, parity, a, b); }},
    {269, [](CommPort& p) { p.StatusBlock(block); }},
    {271, [](CommPort& p) { p.WriteByte(0); }},
    {273, [](CommPort& p) { p.WriteString("x"); }},
    {275, [](CommPort& p) { p.WriteBlock("x", 1); }},
    {277, [](CommPort& p) { p.TransmitChar(0); }},
    {279, [](CommPort& p) { p.ReadByte(); }},
    {281, [](CommPort& p) { p.ReadBlock(buffer, 1); }},
    {283, [](CommPort& p) { p.Purge(0, 0); }},
    {285, [](CommPort& p) { p.DumpStatus([](const char*) {}); }},
};

// In the child, connected as the program connects it: the scripted user presses OK on exactly the
// expected box (anything else ends the child with status 2); at exit the child tells what was
// shown.
void ReadByteWithABackend() {
    SetLibraryReportSink(ShowLibraryError);
    static ui::ScriptedBackend backend;
    backend.SetFailureHandler([](const std::string& why) {
        std::fprintf(stderr, "script failed: %s\n", why.c_str());
        std::_Exit(2);
    });
    backend
        .OnMessageBox("Pure Virtual function called @COMLINK,279\nUnable to continue execution",
                      "Library Error")
        .Press(ui::IDOK);
    std::atexit([] {
        for (const auto* box : backend.Log().MessageBoxes())
            std::fprintf(stderr, "box caption=[%s] flags=%u\n", box->caption.c_str(), box->flags);
    });
    CommPort port(0);
    port.ReadByte();
    std::_Exit(3);
}

TEST(LibraryReport, PlainPortOperationShowsTheBoxAndExits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ReadByteWithABackend(), ::testing::ExitedWithCode(1),
                "^box caption=\\[Library Error\\] flags=0\n$");
}

TEST(LibraryReport, EveryOperationReportsItsLineOnStandardErrorWithoutWindows) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const auto& [line, call] : kOperations) {
        std::string text = "^Library Error: Pure Virtual function called @COMLINK," +
                           std::to_string(line) + "\nUnable to continue execution\n$";
        EXPECT_EXIT(
            {
                CommPort port(1);
                call(port);
                std::_Exit(3);
            },
            ::testing::ExitedWithCode(1), text);
    }
}

}  // namespace
