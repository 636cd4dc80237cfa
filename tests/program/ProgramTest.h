#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/program/ProgramProcess.h"
#include "tests/program/SRecordBytes.h"
#include "tests/support/ReceiverSimProcess.h"
#include "tests/support/TempWorkDir.h"

constexpr int kPromptTimeoutMs = 60000;

// Writes an image made by tarnwick-sample-image with these arguments (named relative to the
// working folder); answers its path.
inline std::string WriteSample(const std::vector<std::string>& args, const std::string& name) {
    std::string path = (std::filesystem::current_path() / name).string();
    std::string command = SAMPLE_IMAGE_PATH;
    for (const std::string& arg : args)
        command += " " + arg;
    EXPECT_EQ(std::system((command + " -o " + path).c_str()), 0);
    return path;
}

inline std::string WriteCodeImage(const std::string& size, const std::string& name = "code.srec") {
    return WriteSample({"code", "--product", "037", "--size", size}, name);
}

// The flash the simulator wrote, once it has ended, against the image.
inline void ExpectFlashEqualsImage(ReceiverSimProcess& sim, const std::string& image) {
    sim.Stop(SIGTERM);
    auto expected = SRecordBytes(image);
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(SRecordBytes("flash.s3") == expected) << "the simulated flash differs";
}

// Waits until the trace in the working folder says that a record has gone (at most 30 s).
inline bool RecordSent() {
    for (int wait = 0; wait < 300; ++wait) {
        if (TempWorkDir::Read("DEBUG.OUT").find("SEND REC") != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// Names the code image in orvane.ini: the program offers to upload it when it starts.
inline void WriteAutomaticUpload(const std::string& image) {
    TempWorkDir::Write("orvane.ini", "[PATHWICK]\nCODE=" + image + "\n\nMAP=\n\n");
}

// The Windows build under Wine is tested by tools/wine-tests.sh, which sets these.
inline bool WineMissing() {
    for (const char* name : {"TARNWICK_WINE_EXE", "WINEPREFIX", "TARNWICK_WINE_COM1"}) {
        if (std::getenv(name) == nullptr)
            return true;
    }
    return false;
}

// A test of the program in its own working folder.
class ProgramTest : public ::testing::Test {
  protected:
    // The program in the folder, its COM1 this device and COM2 to COM4 none; with `wine`
    // the Windows build, its COM1 the link that the Wine prefix's COM1 names.
    std::unique_ptr<ProgramProcess> Start(const std::vector<std::string>& args,
                                          const std::string& device, bool wine = false,
                                          std::map<std::string, std::string> env = {}) {
        std::vector<std::string> program = {UPLOADER_PATH};
        if (wine) {
            std::filesystem::path link = std::getenv("TARNWICK_WINE_COM1");
            std::error_code ignored;
            std::filesystem::remove(link, ignored);
            std::filesystem::create_symlink(device, link);
            env["WINEDEBUG"] = "-all";
            program = {"/usr/lib/wine/wine64", std::getenv("TARNWICK_WINE_EXE")};
        } else {
            env.insert({{"ORVANE_COM1", device},
                        {"ORVANE_COM2", ""},
                        {"ORVANE_COM3", ""},
                        {"ORVANE_COM4", ""}});
        }
        return std::make_unique<ProgramProcess>(args, dir_.Path().string(), env, program);
    }

    TempWorkDir dir_;
};
