#pragma once

#include <cerrno>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/ChildProcess.h"

// tarnwick-uploader started as a process in a working directory, its standard input
// and output on pipes, for tests that drive it by the terminal contract. The test
// target defines UPLOADER_PATH. DISPLAY, WAYLAND_DISPLAY and every ORVANE_COM<n> of
// the test's own environment are left out; `env` adds variables.
class ProgramProcess {
  public:
    // program: what starts it (the Windows build runs as {wine, exe}).
    ProgramProcess(const std::vector<std::string>& args, const std::string& workDir,
                   const std::map<std::string, std::string>& env = {},
                   std::vector<std::string> program = {UPLOADER_PATH}) {
        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
            return;
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            std::string variable = *entry;
            if (variable.rfind("ORVANE_COM", 0) != 0 && variable.rfind("DISPLAY=", 0) != 0 &&
                variable.rfind("WAYLAND_DISPLAY=", 0) != 0)
                environment.push_back(variable);
        }
        for (const auto& [name, value] : env)
            environment.push_back(name + "=" + value);
        std::vector<std::string> argv = std::move(program);
        argv.insert(argv.end(), args.begin(), args.end());
        pid_ = child::Spawn(argv, {.input = in[0],
                                   .output = out[1],
                                   .workDir = workDir,
                                   .env = child::Pointers(environment).data()});
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        output_ = out[0];
        ::fcntl(output_, F_SETFL, O_NONBLOCK);
    }
    ~ProgramProcess() {
        CloseInput();
        child::Kill(pid_);
        if (output_ >= 0)
            ::close(output_);
    }
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    const std::string& Output() const { return all_; }

    void CloseInput() {
        if (input_ >= 0)
            ::close(input_);
        input_ = -1;
    }
    void Signal(int signal) {
        if (pid_ > 0)
            ::kill(pid_, signal);
    }
    pid_t Pid() const { return pid_; }

    // Waits until the output, past what was answered already, ends in a prompt; answers
    // the prompt's line, or nothing when the program ended or timeoutMs passed.
    std::optional<std::string> NextPrompt(int timeoutMs) {
        auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (all_.size() >= 2 && all_.size() > consumed_ &&
                all_.compare(all_.size() - 2, 2, "> ") == 0) {
                std::size_t start = all_.rfind('\n');
                start = start == std::string::npos ? 0 : start + 1;
                return all_.substr(std::max(start, consumed_));
            }
            if (!ReadSome(deadline))
                return std::nullopt;
        }
    }
    // Waits until text has been printed; false when the program ended or timeoutMs passed.
    bool WaitFor(const std::string& text, int timeoutMs) {
        auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (all_.find(text) == std::string::npos) {
            if (!ReadSome(deadline))
                return false;
        }
        return true;
    }

    // Types a line; waits until the program took it (it echoes the answer after the prompt).
    bool Answer(const std::string& line, int timeoutMs = 10000) {
        std::string typed = line + "\n";
        if (::write(input_, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size()))
            return false;
        auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        // A dialog working below the prompt may print its changes before the echo, so
        // the echo is found at the prompt or at the start of a later line.
        for (;;) {
            for (const std::string& echo : {"> " + typed, "\n" + typed}) {
                std::size_t at = all_.find(echo, consumed_);
                if (at != std::string::npos) {
                    consumed_ = at + echo.size();
                    return true;
                }
            }
            if (!ReadSome(deadline))
                return false;
        }
    }

    // Answers the prompts in turn, {prompt, answer}; false at another prompt, or when the
    // program ended or timeoutMs passed.
    bool AnswerPrompts(const std::vector<std::pair<std::string, std::string>>& script,
                       int timeoutMs) {
        for (const auto& [prompt, answer] : script) {
            if (NextPrompt(timeoutMs) != prompt || !Answer(answer, timeoutMs))
                return false;
        }
        return true;
    }

    // Waits for the end of the program: its exit status, or -1 after timeoutMs.
    int Wait(int timeoutMs) {
        auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (ReadSome(deadline)) {
        }
        // Once its output has ended the program is on its way out.
        return child::WaitExit(pid_, exited_ ? 5000 : 0);
    }

  private:
    using Clock = child::Clock;

    // Reads what comes before the deadline; false at the end of output or the deadline.
    bool ReadSome(Clock::time_point deadline) {
        if (exited_)
            return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{output_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return false;
        char buffer[4096];
        ssize_t n = ::read(output_, buffer, sizeof buffer);
        if (n <= 0) {
            exited_ = n == 0;
            return n < 0 && errno == EAGAIN;
        }
        // Line ends as a Windows program writes them read as ours.
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] != '\r' || i + 1 == n || buffer[i + 1] != '\n')
                all_ += buffer[i];
        }
        return true;
    }

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    bool exited_ = false;
    std::string all_;
    std::size_t consumed_ = 0;
};
