#pragma once

#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"

// The simulator tool started with arguments for a real-time test; its first line of
// output names its pseudo-terminal. The test target defines RECEIVER_SIM_PATH.
class ReceiverSimProcess {
  public:
    explicit ReceiverSimProcess(std::vector<std::string> args) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        args.insert(args.begin(), RECEIVER_SIM_PATH);
        pid_ = child::Spawn(args, {.output = out[1]});
        ::close(out[1]);
        // The path, within five seconds. The tool ignores a closed output afterwards.
        if (pid_ > 0)
            path_ = child::Read(out[0], 5000, true);
        ::close(out[0]);
    }
    ~ReceiverSimProcess() {
        if (Stop(SIGTERM) < 0)
            child::Kill(pid_);
    }
    ReceiverSimProcess(const ReceiverSimProcess&) = delete;
    ReceiverSimProcess& operator=(const ReceiverSimProcess&) = delete;

    const std::string& Path() const { return path_; }

    // Sends the signal and answers the exit status (-1 when it does not end in 5 s).
    int Stop(int signal) {
        if (pid_ <= 0)
            return -1;
        ::kill(pid_, signal);
        return child::WaitExit(pid_, 5000);
    }

  private:
    pid_t pid_ = -1;
    std::string path_;
};
