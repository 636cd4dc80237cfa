#include "tests/desktop/XSession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "ui/DesktopBackendFactory.h"
#include "ui/Runtime.h"

extern char** environ;

namespace {

constexpr int kServerStartMs = 10000;
constexpr int kToolLimitMs = 10000;

// Spawns a program found on PATH with stdout to outFd (-1: inherited), closeFd closed,
// and its complaints dropped.
pid_t Spawn(const std::vector<std::string>& args, int outFd, int closeFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (outFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    if (closeFd >= 0)
        posix_spawn_file_actions_addclose(&actions, closeFd);
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (std::string& arg : copy)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

}  // namespace

XSession& XSession::Get() {
    static XSession* session = [] {
        auto* created = new XSession();
        ::testing::AddGlobalTestEnvironment(created);  // gtest owns it from here
        return created;
    }();
    return *session;
}

// Registers the environment before main runs.
static XSession& registered = XSession::Get();

bool XSession::StartServer() {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    server_ = Spawn({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0",
                     "1024x768x24", "-nolisten", "tcp", "-noreset"},
                    -1, pipeFds[0]);
    close(pipeFds[1]);
    std::string number;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kServerStartMs);
    while (server_ > 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd fd{pipeFds[0], POLLIN, 0};
        if (poll(&fd, 1, 100) <= 0)
            continue;
        char c = 0;
        if (read(pipeFds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(pipeFds[0]);
    if (number.empty())
        return false;
    setenv("DISPLAY", (":" + number).c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    setenv("GDK_BACKEND", "x11", 1);
    setenv("NO_AT_BRIDGE", "1", 1);
    setenv("GSETTINGS_BACKEND", "memory", 1);  // no session bus here
    return true;
}

void XSession::SetUp() {
    artefacts_ = (std::filesystem::current_path() / "screenshots").string();
    if (!StartServer())
        return;
    static char name[] = "desktop_tests";
    static char* argv[] = {name, nullptr};
    int argc = 1;
    std::unique_ptr<ui::Backend> backend = ui::CreateDesktopBackend(argc, argv);
    backend_.reset(dynamic_cast<ui::DesktopBackend*>(backend.release()));
    if (backend_ != nullptr)
        ui::Runtime::Get().SetBackend(backend_.get());
}

void XSession::TearDown() {
    if (backend_ != nullptr) {
        ui::Runtime::Get().Reset();
        ui::Runtime::Get().SetBackend(nullptr);
        backend_.reset();
    }
    if (server_ > 0) {
        kill(server_, SIGTERM);
        waitpid(server_, nullptr, 0);
        server_ = -1;
    }
}

ToolResult RunTool(const std::vector<std::string>& args) {
    ToolResult result;
    int out[2];
    if (pipe(out) != 0)
        return result;
    pid_t pid = Spawn(args, out[1], out[0]);
    close(out[1]);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kToolLimitMs);
    while (pid > 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd fd{out[0], POLLIN, 0};
        if (poll(&fd, 1, 100) <= 0)
            continue;
        char buffer[512];
        ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        result.output.append(buffer, static_cast<std::size_t>(got));
    }
    close(out[0]);
    if (pid <= 0)
        return result;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return result;
        }
        usleep(10000);
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::vector<std::string> VisibleWindowIds(pid_t process) {
    ToolResult found = RunTool({"xdotool", "search", "--onlyvisible", "--pid",
                                std::to_string(process != 0 ? process : getpid())});
    std::vector<std::string> ids;
    std::istringstream lines(found.output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty())
            ids.push_back(line);
    }
    return ids;
}

std::string WindowTitle(const std::string& windowId) {
    std::string title = RunTool({"xdotool", "getwindowname", windowId}).output;
    if (!title.empty() && title.back() == '\n')
        title.pop_back();
    return title;
}

std::string FindWindow(const std::string& title, pid_t process) {
    for (const std::string& id : VisibleWindowIds(process)) {
        if (WindowTitle(id) == title)
            return id;
    }
    return {};
}

bool PressKeys(const std::string& title, const std::vector<std::string>& keys, pid_t process) {
    std::string id = FindWindow(title, process);
    return !id.empty() && PressKeysIn(id, keys);
}

bool PressKeysIn(const std::string& id, const std::vector<std::string>& keys) {
    std::vector<std::string> args = {"xdotool", "windowfocus", "--sync", id,
                                     "key",     "--delay",     "40"};
    args.insert(args.end(), keys.begin(), keys.end());
    return RunTool(args).status == 0;
}

bool TypeText(const std::string& title, const std::string& text) {
    std::string id = FindWindow(title);
    return !id.empty() &&
           RunTool({"xdotool", "windowfocus", "--sync", id, "type", "--delay", "40", text})
                   .status == 0;
}

std::string Screenshot(const std::string& windowId, const std::string& name) {
    const std::string& folder = XSession::Get().ArtefactFolder();
    std::filesystem::create_directories(folder);
    std::string path = folder + "/" + name + ".png";
    if (RunTool({"import", "-window", windowId, path}).status != 0)
        return {};
    return path;
}

int DistinctColours(const std::string& path) {
    ToolResult counted = RunTool({"identify", "-format", "%k", path});
    return counted.status == 0 ? std::atoi(counted.output.c_str()) : 0;
}

void DesktopTest::SetUp() {
    REQUIRE_DISPLAY();
    ui::Runtime::Get().Reset();
}

void DesktopTest::TearDown() {
    ui::Runtime::Get().Reset();
}
