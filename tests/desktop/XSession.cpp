#include "tests/desktop/XSession.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "tests/support/ChildProcess.h"
#include "ui/DesktopBackendFactory.h"
#include "ui/Runtime.h"

namespace {

constexpr int kServerStartMs = 10000;
constexpr int kToolLimitMs = 10000;

// Runs an X tool to its end (at most ten seconds); answers its exit status and output.
struct ToolResult {
    int status = -1;
    std::string output;
};

ToolResult RunTool(const std::vector<std::string>& args) {
    ToolResult result;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return result;
    pid_t pid = child::Spawn(args, {.output = out[1], .quiet = true});
    ::close(out[1]);
    const auto start = child::Clock::now();
    if (pid > 0)
        result.output = child::Read(out[0], kToolLimitMs);
    ::close(out[0]);
    result.status =
        child::WaitExit(pid, static_cast<int>(std::max(0LL, kToolLimitMs - MsSince(start))));
    child::Kill(pid);
    return result;
}

bool XdoToolIn(const std::string& id, const std::vector<std::string>& command) {
    std::vector<std::string> args = {"xdotool", "windowfocus", "--sync", id};
    args.insert(args.end(), command.begin(), command.end());
    return !id.empty() && RunTool(args).status == 0;
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
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return false;
    // The server names its display on its standard output.
    server_ = child::Spawn(
        {"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"},
        {.output = out[1], .quiet = true});
    ::close(out[1]);
    const std::string number = server_ > 0 ? child::Read(out[0], kServerStartMs, true) : "";
    ::close(out[0]);
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
        ::kill(server_, SIGTERM);
        if (child::WaitExit(server_, kServerStartMs) < 0)
            child::Kill(server_);
    }
}

std::vector<std::string> VisibleWindowIds(pid_t process) {
    ToolResult found =
        RunTool(process == kAnyProcess
                    ? std::vector<std::string>{"xdotool", "search", "--onlyvisible", "--name", "."}
                    : std::vector<std::string>{"xdotool", "search", "--onlyvisible", "--pid",
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

bool PressKeysIn(const std::string& id, const std::vector<std::string>& keys) {
    std::vector<std::string> command = {"key", "--delay", "40"};
    command.insert(command.end(), keys.begin(), keys.end());
    return XdoToolIn(id, command);
}

bool TypeTextIn(const std::string& id, const std::string& text) {
    return XdoToolIn(id, {"type", "--delay", "40", text});
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
