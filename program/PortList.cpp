#include "program/PortList.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/ComPortNames.h"

extern char** environ;

namespace {

constexpr int kHighestComNumber = 255;  // the port names the platform maps
constexpr std::string_view kVariablePrefix = "ORVANE_COM";

}  // namespace

int PortList::HighestMapped() {
    int highest = static_cast<int>(platform::ComPortNames::DefaultDevices().size());
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        std::string_view variable(*entry);
        if (variable.substr(0, kVariablePrefix.size()) != kVariablePrefix)
            continue;
        std::string_view rest = variable.substr(kVariablePrefix.size());
        std::size_t equals = rest.find('=');
        if (equals == 0 || equals == std::string_view::npos || equals > 3 ||
            equals + 1 == rest.size()) {
            continue;  // no number, or an empty value: no device
        }
        int number = 0;
        bool digits = true;
        for (char c : rest.substr(0, equals)) {
            digits = digits && c >= '0' && c <= '9';
            number = number * 10 + (c - '0');
        }
        if (digits && number <= kHighestComNumber && number > highest)
            highest = number;
    }
    return highest;
}

std::vector<std::string> PortList::ByIdNames(const std::string& device,
                                             const std::string& byIdDir) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::path target = std::filesystem::canonical(device, error);
    if (error)
        return names;
    for (const auto& entry : std::filesystem::directory_iterator(byIdDir, error)) {
        std::error_code ignored;
        if (std::filesystem::canonical(entry.path(), ignored) == target && !ignored)
            names.push_back(entry.path().filename().string());
    }
    return names;
}

std::vector<std::string> PortList::Lines(const std::string& byIdDir) {
    std::vector<std::string> lines;
    int highest = std::max(kScannedPorts, HighestMapped());
    for (int number = 1; number <= highest; ++number) {
        std::string device = platform::ComPortNames::PathOf(number - 1);
        if (device.empty() && number > kScannedPorts)
            continue;
        std::string line = "COM" + std::to_string(number) + "  ";
        if (device.empty()) {
            line += "no device";
        } else {
            line += device;
            std::error_code error;
            if (!std::filesystem::exists(device, error))
                line += "  (missing)";
            for (const std::string& name : ByIdNames(device, byIdDir))
                line += "  by-id: " + name;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}
