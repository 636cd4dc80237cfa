// The program as a service bench uses it: one program flashing upload after upload, and
// two programs side by side, each with its own folder, port and receiver.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <utility>

#include "tests/program/ProgramProcess.h"
#include "tests/program/Responder.h"

namespace {

constexpr int kUploads = 20;

// The devices and files the process has open.
std::vector<std::string> OpenFiles(pid_t pid) {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        files.push_back(std::filesystem::read_symlink(entry.path(), error).string());
    }
    return files;
}

// Resident memory of the process in KiB, from /proc.
long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

bool Holds(pid_t pid, const std::string& path) {
    std::vector<std::string> files = OpenFiles(pid);
    return std::find(files.begin(), files.end(), path) != files.end();
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Waits until the simulator has saved a flash equal to the image, as it does when a load
// is complete.
bool FlashBecomes(const std::string& flash, const std::string& image, int timeoutMs) {
    const auto expected = SRecordBytes(image);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (SRecordBytes(flash) != expected) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

using ProgramBench = ProgramUploadTest;

}  // namespace

// Two images take turns, so every upload has to write: after each one the flash equals
// the image it sent. The program holds as many descriptors after the last upload as after the
// first.
TEST_F(ProgramBench, DISABLED_TwentyUploadsBackToBackLeaveNothingOpen) {
    const std::string images[] = {WriteCodeImage("8K", "a.srec", 1),
                                  WriteCodeImage("8K", "b.srec", 2)};
    ReceiverSimProcess sim({"--model", "Pathwick", "--chatter", "0", "--flash-out", "flash.s3"});
    ASSERT_FALSE(sim.Path().empty());
    ProgramProcess program({"--text"}, dir_.Path().string(), {{"ORVANE_COM1", sim.Path()}});
    Responder user;
    // The report is answered once the receiver has its image, as a user reads it while the
    // receiver restarts. Answered at once, the port would close while the simulator may
    // not yet have read the end record, and a pseudo-terminal cannot tell it which speed
    // those bytes went at.
    bool flashWritten = false;
    user.beforeAnswer = [&](const std::string& prompt) {
        if (prompt == "STATUS> ")
            flashWritten = FlashBecomes("flash.s3", user.path, 10000);
    };
    std::size_t afterFirst = 0;
    for (int upload = 0; upload < kUploads; ++upload) {
        user.path = images[upload % 2];
        user.commands.insert(user.commands.end(), {"Select Code File", "Upload"});
        ASSERT_TRUE(user.DriveToMenu(program, user.commands.size(), kPromptTimeoutMs))
            << "upload " << upload + 1 << "\n"
            << program.Output();
        ASSERT_EQ(Count(program.Output(), "Upload complete"), static_cast<std::size_t>(upload + 1))
            << program.Output();
        ASSERT_TRUE(std::exchange(flashWritten, false)) << "upload " << upload + 1;
        if (upload == 0) {
            afterFirst = OpenFiles(program.Pid()).size();
            RecordProperty("resident_kib_after_first", ResidentKiB(program.Pid()));
        }
    }
    EXPECT_EQ(OpenFiles(program.Pid()).size(), afterFirst) << "descriptors grew with the uploads";
    RecordProperty("resident_kib_after_last", ResidentKiB(program.Pid()));
    EXPECT_EQ(user.Drive(program, kPromptTimeoutMs), 0) << program.Output();
}

// Each program has its own folder, its own COM1 and its own receiver, and no other COM,
// as a bench sets them up; both upload at the same time. Neither opens the other's port, each flash
// equals its own image, and the trace files land in each program's own folder.
TEST_F(ProgramBench, TwoProgramsSideBySideKeepToTheirOwnPortsAndFolders) {
    struct Station {
        std::filesystem::path folder;
        std::string image;
        std::unique_ptr<ReceiverSimProcess> sim;
        std::unique_ptr<ProgramProcess> program;
        Responder user;
        int exitCode = -1;
    };
    Station stations[2];
    for (int i = 0; i < 2; ++i) {
        Station& s = stations[i];
        s.folder = dir_.Path() / ("bench" + std::to_string(i + 1));
        std::filesystem::create_directories(s.folder);
        s.image = WriteCodeImage("24K", s.folder.filename().string() + "/code.srec", i + 1);
        s.sim = std::make_unique<ReceiverSimProcess>(
            std::vector<std::string>{"--model", "Pathwick", "--chatter", "0", "--flash-out",
                                     (s.folder / "flash.s3").string()});
        ASSERT_FALSE(s.sim->Path().empty());
    }
    for (Station& s : stations) {
        s.program = std::make_unique<ProgramProcess>(
            std::vector<std::string>{"--text"}, s.folder.string(),
            std::map<std::string, std::string>{{"ORVANE_COM1", s.sim->Path()},
                                               {"ORVANE_COM2", ""},
                                               {"ORVANE_COM3", ""},
                                               {"ORVANE_COM4", ""}});
        s.user.commands = {"Select Code File", "Upload"};
        s.user.path = s.image;
    }

    const pid_t pids[] = {stations[0].program->Pid(), stations[1].program->Pid()};
    std::atomic<int> running{2};
    std::vector<std::thread> drivers;
    for (Station& s : stations) {
        drivers.emplace_back([&s, &running] {
            s.exitCode = s.user.Drive(*s.program, kPromptTimeoutMs);
            --running;
        });
    }
    // While they run, neither may hold the other's device.
    bool crossed = false;
    while (running > 0) {
        for (int i = 0; i < 2; ++i)
            crossed |= Holds(pids[i], stations[1 - i].sim->Path());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    for (std::thread& driver : drivers)
        driver.join();

    EXPECT_FALSE(crossed) << "a program opened the other program's port";
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "DEBUG.OUT"));
    for (Station& s : stations) {
        EXPECT_EQ(s.exitCode, 0) << s.program->Output();
        EXPECT_NE(s.program->Output().find("Upload complete"), std::string::npos)
            << s.program->Output();
        EXPECT_TRUE(std::filesystem::exists(s.folder / "DEBUG.OUT"));
        ExpectFlashEqualsImage(*s.sim, s.image, (s.folder / "flash.s3").string());
    }
}
