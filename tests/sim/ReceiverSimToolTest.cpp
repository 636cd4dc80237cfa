// The simulator tool on a real pseudo-terminal, in real time.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/sim/WireHost.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The tool started with arguments; its first output line is the device path.
class SimProcess {
  public:
    explicit SimProcess(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), RECEIVER_SIM_PATH);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, RECEIVER_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        stdout_ = out[0];
        // The first line, within five seconds.
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        char c = 0;
        while (Clock::now() < deadline) {
            pollfd fd{stdout_, POLLIN, 0};
            if (poll(&fd, 1, 100) <= 0)
                continue;
            if (read(stdout_, &c, 1) != 1 || c == '\n')
                break;
            path_ += c;
        }
    }
    ~SimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (stdout_ >= 0)
            close(stdout_);
    }
    const std::string& Path() const { return path_; }
    // Sends the signal and answers the exit status (-1 when it does not end in time).
    int Stop(int signal) {
        kill(pid_, signal);
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        int status = 0;
        while (Clock::now() < deadline) {
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
    int stdout_ = -1;
    std::string path_;
};

// The host side: the device opened raw, like a serial port.
class Port {
  public:
    explicit Port(const std::string& path)
        : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~Port() {
        if (fd_ >= 0)
            close(fd_);
    }
    bool IsOpen() const { return fd_ >= 0; }
    void SetSpeed(speed_t speed) {
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        cfsetspeed(&t, speed);
        tcsetattr(fd_, TCSANOW, &t);
        tcflush(fd_, TCIFLUSH);
    }
    void Write(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void Write(const std::string& text) {
        Write(std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    // Reads for the given time, or until n bytes arrived.
    std::vector<std::uint8_t> Read(int ms, std::size_t n = SIZE_MAX) {
        std::vector<std::uint8_t> out;
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        while (out.size() < n && Clock::now() < deadline) {
            pollfd fd{fd_, POLLIN, 0};
            if (poll(&fd, 1, 10) <= 0)
                continue;
            std::uint8_t buf[256];
            const ssize_t got = read(fd_, buf, std::min(sizeof buf, n - out.size()));
            if (got > 0)
                out.insert(out.end(), buf, buf + got);
        }
        return out;
    }

  private:
    int fd_;
};

bool HasValidVersionReply(const std::vector<std::uint8_t>& bytes) {
    const std::string text(bytes.begin(), bytes.end());
    const std::size_t at = text.find("$PXRVVER,");
    if (at == std::string::npos)
        return false;
    const std::size_t star = text.find('*', at);
    if (star == std::string::npos || star + 3 > text.size())
        return false;
    unsigned sum = 0;
    for (std::size_t i = at + 1; i < star; ++i)
        sum ^= static_cast<unsigned char>(text[i]);
    return std::stoul(text.substr(star + 1, 2), nullptr, 16) == sum;
}

TEST(ReceiverSimTool, AnswersAtItsSpeedAndGarblesAtAnother) {
    SimProcess sim({"--model", "Pathwick"});
    ASSERT_EQ(sim.Path().rfind("/dev/", 0), 0u) << sim.Path();
    Port port(sim.Path());
    ASSERT_TRUE(port.IsOpen());

    port.SetSpeed(B4800);
    port.Write("$PXRVCMD,VERSION*30\r\n");
    EXPECT_TRUE(HasValidVersionReply(port.Read(1500)));

    port.SetSpeed(B9600);
    port.Write("$PXRVCMD,VERSION*30\r\n");
    const std::vector<std::uint8_t> noise = port.Read(1200);
    EXPECT_FALSE(noise.empty());  // the receiver's chatter, read at the wrong speed
    for (std::uint8_t byte : noise)
        EXPECT_GE(byte, 0xC0);

    EXPECT_EQ(sim.Stop(SIGINT), 0);
}

TEST(ReceiverSimTool, WritesTheFlashAfterALoadAndEndsOnSigterm) {
    const std::string flash = "tool-flash.s3";
    std::remove(flash.c_str());
    SimProcess sim({"--start", "loader", "--flash-out", flash, "--chatter", "0"});
    Port port(sim.Path());
    ASSERT_TRUE(port.IsOpen());
    port.SetSpeed(B115200);

    auto expect = [&port](std::uint8_t byte) {
        const std::vector<std::uint8_t> got = port.Read(2000, 1);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0], byte);
    };
    expect(0xAA);
    port.Write(std::vector<std::uint8_t>{0x55});
    std::vector<std::uint8_t> got = port.Read(2000, 1);
    while (got.size() == 1 && got[0] == 0xAA)
        got = port.Read(2000, 1);  // hellos still under way
    ASSERT_EQ(got, std::vector<std::uint8_t>{0x55});
    port.Write(std::vector<std::uint8_t>{0x6A});
    expect(0x55);
    port.Write(WireHost::Erase(0x2D004000, 0x2D004FFF));
    expect(0x55);
    expect(0x8F);
    expect(0x55);
    port.Write(std::vector<std::uint8_t>{0x69});
    expect(0x55);
    port.Write(WireHost::Record(0x2D004000, {0xDE, 0xAD, 0xBE, 0xEF}));
    expect(0x55);
    expect(0x55);
    port.Write(WireHost::EndRecord());
    expect(0x55);
    port.Read(300);

    std::ifstream file(flash);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("S3092D004000DEADBEEF"), std::string::npos) << text.str();
    EXPECT_EQ(sim.Stop(SIGTERM), 0);
    std::remove(flash.c_str());
}

TEST(ReceiverSimTool, HelpDocumentsEveryOption) {
    const std::string help = [] {
        std::string out;
        std::FILE* pipe = popen(RECEIVER_SIM_PATH " --help", "r");
        if (pipe == nullptr)
            return out;
        char buf[512];
        while (std::fgets(buf, sizeof buf, pipe) != nullptr)
            out += buf;
        pclose(pipe);
        return out;
    }();
    for (const char* option :
         {"--model", "--product-code", "--model-text", "--firmware", "--memory", "--poi-header",
          "--no-database", "--map-header", "--speed", "--loader-speed", "--start", "--loader-mode",
          "--pace", "--fault", "--seed", "--flash-out", "--verbose", "--help"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

}  // namespace
