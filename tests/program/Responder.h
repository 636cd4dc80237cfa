#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
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

// A code image for product 037. Seeds give images of the same size with different bytes.
inline std::string WriteCodeImage(const std::string& size, const std::string& name = "code.srec",
                                  int seed = 1) {
    return WriteSample({"code", "--product", "037", "--size", size, "--seed", std::to_string(seed)},
                       name);
}

// The flash the simulator wrote, once it has ended, against the image.
inline void ExpectFlashEqualsImage(ReceiverSimProcess& sim, const std::string& image,
                                   const std::string& flash = "flash.s3") {
    sim.Stop(SIGTERM);
    auto expected = SRecordBytes(image);
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(SRecordBytes(flash) == expected) << "the simulated flash differs: " << flash;
}

// An agreeable user at the terminal: types the given menu commands in order and then
// Exit, a path at a file prompt, the given answers at the named prompts, and otherwise
// the first button that goes ahead.
struct Responder {
    std::vector<std::string> commands;
    std::string path;
    std::map<std::string, std::vector<std::string>> answers;  // by prompt, e.g. "Expert Setup> "
    std::vector<std::string> agreeable{"Upload File", "YES", "Yes", "OK"};

    std::string Choose(const std::string& prompt, const std::string& shown) {
        if (std::size_t at = shown.rfind("Buttons: "); at != std::string::npos)
            buttons_ = shown.substr(at + 9, shown.find('\n', at) - at - 9);
        if (prompt == "Command> ")
            return next_ < commands.size() ? commands[next_++] : "Exit";
        auto it = answers.find(prompt);
        if (it != answers.end() && !it->second.empty()) {
            std::string answer = it->second.front();
            it->second.erase(it->second.begin());
            return answer;
        }
        if (shown.find("Type the file's path") != std::string::npos)
            return path;
        for (const std::string& name : agreeable) {
            if ((", " + buttons_ + ",").find(", " + name + ",") != std::string::npos ||
                shown.find("( ) " + name + "\n") != std::string::npos) {
                return name;
            }
        }
        return "OK";
    }

    // Answers prompts until the menu asks for a command and `typed` commands have gone
    // before it; false when the program ended or hung.
    bool DriveToMenu(ProgramProcess& program, std::size_t typed, int timeoutMs) {
        for (int i = 0; i < 60; ++i) {
            std::optional<std::string> prompt = program.NextPrompt(timeoutMs);
            if (!prompt)
                return false;
            if (*prompt == "Command> " && next_ == typed)
                return true;
            if (!program.Answer(Choose(*prompt, program.Pending())))
                return false;
        }
        return false;
    }

    // Answers prompts until an upload is programming the receiver; false when it is not
    // within the seconds given.
    bool DriveToProgramming(ProgramProcess& program, int seconds) {
        for (int second = 0; program.Output().find("== Upload status ==") == std::string::npos;
             ++second) {
            std::optional<std::string> prompt = program.NextPrompt(1000);
            if (second >= seconds ||
                (prompt && !program.Answer(Choose(*prompt, program.Pending()))))
                return false;
        }
        return program.WaitFor("PROGRAMMING", kPromptTimeoutMs);
    }

    // Answers prompts until the program ends; its exit status, -1 when it hangs.
    int Drive(ProgramProcess& program, int timeoutMs, int promptLimit = 60) {
        for (int i = 0; i < promptLimit; ++i) {
            std::optional<std::string> prompt = program.NextPrompt(timeoutMs);
            if (!prompt)
                break;
            if (!program.Answer(Choose(*prompt, program.Pending())))
                break;
        }
        return program.Wait(timeoutMs);
    }

  private:
    std::size_t next_ = 0;
    std::string buttons_;
};

// An upload test in its own working folder.
class ProgramUploadTest : public ::testing::Test {
  protected:
    TempWorkDir dir_;
};
