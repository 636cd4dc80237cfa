// The scan against the simulator tool on a real pseudo-terminal, in real time: the
// termios backend, the line speed as the far end sees it, and the real reply timing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/CGpsUnit.h"
#include "command/CConnectDlg.h"
#include "tests/support/ReceiverSimProcess.h"
#include "tests/support/ScriptedUi.h"

namespace {

// The connection dialog with real time between its ticks, so that the receiver on the
// other side of the pseudo-terminal has time to answer.
class RealTimeConnectDlg : public CConnectDlg {
  public:
    using CConnectDlg::CConnectDlg;
    void OnTimer(int id) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        CConnectDlg::OnTimer(id);
    }
};

TEST(ConnectOnPty, ReceiverAt9600IsFoundAndIdentified) {
    ReceiverSimProcess tool({"--model", "Pathwick Topo", "--speed", "9600", "--firmware", "1.23"});
    ASSERT_FALSE(tool.Path().empty());
    setenv("ORVANE_COM1", tool.Path().c_str(), 1);
    for (const char* name : {"ORVANE_COM2", "ORVANE_COM3", "ORVANE_COM4"})
        setenv(name, "/nonexistent/tarnwick-test-port", 1);

    {
        ScriptedUi ui;
        ui.SetTimeLimit(20000);
        CGpsUnit unit;
        RealTimeConnectDlg dialog(unit, unit.autoUpload);
        EXPECT_EQ(dialog.DoModal(), ui::IDOK);
        EXPECT_EQ(unit.comIndex, 0);
        EXPECT_EQ(unit.baud, 9600);
        EXPECT_EQ(unit.family, 5);
        EXPECT_EQ(unit.unitType, 14);
        EXPECT_EQ(unit.unitName, "Pathwick Topo");
        EXPECT_EQ(unit.fwMajor, 1);
        EXPECT_EQ(unit.fwMinor, 23);
    }
    for (const char* name : {"ORVANE_COM1", "ORVANE_COM2", "ORVANE_COM3", "ORVANE_COM4"})
        unsetenv(name);
}

}  // namespace
