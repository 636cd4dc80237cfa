#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The options of the one-shot commands: upload, identify and check.
struct OneShotOptions {
    enum class Command { Upload, Identify, Check };
    // Data kinds --kind names.
    static constexpr std::string_view kKinds[] = {"poi", "database", "map", "base-map",
                                                  "detail-map"};
    // Highest COM number --port takes.
    static constexpr int kHighestPort = 255;

    Command command = Command::Upload;
    int portIndex = -1;  // --port COMn as n - 1; -1: auto
    std::string codeFile;
    std::string dataFile;
    std::string kind;
    std::string expertModel;
    int baud = 0;
    bool yes = false;
    bool json = false;
    std::uint64_t timeoutMs = 0;
    std::string traceFile;
    std::string model;  // check --model
    std::string error;  // a usage error; empty when the options are good

    static bool IsCommand(std::string_view word);
    // argv[1] is the command.
    static OneShotOptions Parse(int argc, char** argv);
};
