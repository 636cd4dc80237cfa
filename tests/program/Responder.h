#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/program/ProgramProcess.h"

// An agreeable user at the terminal: types the given menu commands in order and then
// Exit, a path at a file prompt, the given answers at the named prompts, and otherwise
// the first button that goes ahead.
struct Responder {
    std::vector<std::string> commands;
    std::string path;
    std::map<std::string, std::vector<std::string>> answers;  // by prompt, e.g. "Expert Setup> "
    std::vector<std::string> agreeable{"Upload File", "YES", "Yes", "OK"};
    std::vector<std::string> prompts;  // every prompt answered, in order

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

    // Answers prompts until the program ends; its exit status, -1 when it hangs.
    int Drive(ProgramProcess& program, int timeoutMs, int promptLimit = 60) {
        for (int i = 0; i < promptLimit; ++i) {
            std::optional<std::string> prompt = program.NextPrompt(timeoutMs);
            if (!prompt)
                break;
            prompts.push_back(*prompt);
            if (!program.Answer(Choose(*prompt, program.Pending())))
                break;
        }
        return program.Wait(timeoutMs);
    }

  private:
    std::size_t next_ = 0;
    std::string buttons_;
};
