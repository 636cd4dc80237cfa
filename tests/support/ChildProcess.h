#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

// Child processes of the real-time tests: started, read from and awaited, every wait
// bounded. Pipes for them are made with O_CLOEXEC, so a child keeps only the ends it is
// given as its standard input and output.
namespace child {

using Clock = std::chrono::steady_clock;

struct SpawnOptions {
    int input = -1;              // standard input; -1: inherited
    int output = -1;             // standard output; -1: inherited
    bool quiet = false;          // standard error to /dev/null
    std::string workDir{};       // empty: this process's
    char* const* env = environ;  // the child's environment
};

inline std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts args[0] (a path, or a name looked up on PATH); answers its id, or -1.
inline pid_t Spawn(std::vector<std::string> args, const SpawnOptions& options = {}) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.input >= 0)
        posix_spawn_file_actions_adddup2(&actions, options.input, STDIN_FILENO);
    if (options.output >= 0)
        posix_spawn_file_actions_adddup2(&actions, options.output, STDOUT_FILENO);
    if (options.quiet)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (!options.workDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.workDir.c_str());
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, Pointers(args).data(),
                     options.env) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// What fd gives until its end or timeoutMs; with oneLine, only up to the first newline.
inline std::string Read(int fd, int timeoutMs, bool oneLine = false) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string out;
    while (Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char buffer[512];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        out.append(buffer, static_cast<std::size_t>(got));
        if (oneLine && out.find('\n') != std::string::npos)
            return out.substr(0, out.find('\n'));
    }
    return out;
}

// Waits up to timeoutMs for the end of pid, which becomes -1 once it is reaped; answers
// its exit status (128 + the signal that ended it), or -1.
inline int WaitExit(pid_t& pid, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (pid > 0) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (Clock::now() >= deadline)
            break;
        ::usleep(10000);
    }
    return -1;
}

// Ends pid at once, if it still runs.
inline void Kill(pid_t& pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

}  // namespace child
