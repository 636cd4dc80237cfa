// The scan against the simulator tool on a real pseudo-terminal, in real time: the
// termios backend, the line speed as the far end sees it, and the real reply timing.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/CGpsUnit.h"
#include "command/CConnectDlg.h"
#include "tests/support/ScriptedUi.h"

extern char** environ;

namespace {

// The simulator tool; its first line of output names its pseudo-terminal.
class SimulatorTool {
  public:
    explicit SimulatorTool(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), RECEIVER_SIM_PATH);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, RECEIVER_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        // The path, within five seconds.
        for (int waited = 0; pid_ > 0 && waited < 50; ++waited) {
            pollfd fd{out[0], POLLIN, 0};
            if (poll(&fd, 1, 100) <= 0)
                continue;
            char c = 0;
            while (read(out[0], &c, 1) == 1 && c != '\n')
                path_ += c;
            break;
        }
        close(out[0]);
    }
    ~SimulatorTool() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& Path() const { return path_; }

  private:
    pid_t pid_ = -1;
    std::string path_;
};

// The connection dialog with real time between its ticks, so that the receiver on the
// other side of the pseudo-terminal has time to answer.
class RealTimeConnectDlg : public CConnectDlg {
  public:
    void OnTimer(int id) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        CConnectDlg::OnTimer(id);
    }
};

TEST(ConnectOnPty, ReceiverAt9600IsFoundAndIdentified) {
    SimulatorTool tool({"--model", "Pathwick Topo", "--speed", "9600", "--firmware", "1.23"});
    ASSERT_FALSE(tool.Path().empty());
    setenv("ORVANE_COM1", tool.Path().c_str(), 1);
    for (const char* name : {"ORVANE_COM2", "ORVANE_COM3", "ORVANE_COM4"})
        setenv(name, "/nonexistent/tarnwick-test-port", 1);

    {
        ScriptedUi ui;
        ui.SetTimeLimit(20000);
        theUnit.ResetForStart();
        RealTimeConnectDlg dialog;
        EXPECT_EQ(dialog.DoModal(), ui::IDOK);
        EXPECT_EQ(theUnit.comIndex, 0);
        EXPECT_EQ(theUnit.baud, 9600);
        EXPECT_EQ(theUnit.family, 5);
        EXPECT_EQ(theUnit.unitType, 14);
        EXPECT_EQ(theUnit.unitName, "Pathwick Topo");
        EXPECT_EQ(theUnit.fwMajor, 1);
        EXPECT_EQ(theUnit.fwMinor, 23);
        theUnit.ResetForStart();
    }
    for (const char* name : {"ORVANE_COM1", "ORVANE_COM2", "ORVANE_COM3", "ORVANE_COM4"})
        unsetenv(name);
}

}  // namespace
