#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

// The simulator tool started with arguments for a real-time test; its first line of
// output names its pseudo-terminal. The test target defines RECEIVER_SIM_PATH.
class ReceiverSimProcess {
  public:
    explicit ReceiverSimProcess(std::vector<std::string> args) {
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
        // The path, within five seconds. The tool ignores a closed output afterwards.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        char c = 0;
        while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
            pollfd fd{out[0], POLLIN, 0};
            if (poll(&fd, 1, 100) <= 0)
                continue;
            if (read(out[0], &c, 1) != 1 || c == '\n')
                break;
            path_ += c;
        }
        close(out[0]);
    }
    ~ReceiverSimProcess() {
        if (pid_ > 0 && Stop(SIGTERM) < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    ReceiverSimProcess(const ReceiverSimProcess&) = delete;
    ReceiverSimProcess& operator=(const ReceiverSimProcess&) = delete;

    const std::string& Path() const { return path_; }

    // Sends the signal and answers the exit status (-1 when it does not end in 5 s).
    int Stop(int signal) {
        if (pid_ <= 0)
            return -1;
        kill(pid_, signal);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        int status = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            usleep(10000);
        }
        return -1;
    }

  private:
    pid_t pid_ = -1;
    std::string path_;
};
