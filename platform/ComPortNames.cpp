#include "platform/ComPortNames.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace platform {

namespace {

// Devices of one family ("ttyUSB") in number order.
std::vector<std::string> Family(const std::string& devDir, const std::string& prefix) {
    std::vector<std::pair<unsigned long, std::string>> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(devDir, error)) {
        std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::string digits = name.substr(prefix.size());
        if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(),
                                              [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        found.emplace_back(std::stoul(digits), entry.path().string());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& item : found)
        paths.push_back(std::move(item.second));
    return paths;
}

}  // namespace

std::vector<std::string> ComPortNames::DefaultDevices(const std::string& devDir) {
    std::vector<std::string> all;
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        std::vector<std::string> family = Family(devDir, prefix);
        all.insert(all.end(), family.begin(), family.end());
    }
    return all;
}

std::string ComPortNames::PathOf(int portIndex) {
    if (portIndex < 0 || portIndex > 254)
        return {};
    std::string variable = "ORVANE_COM" + std::to_string(portIndex + 1);
    if (const char* named = std::getenv(variable.c_str()))
        return named;
    std::vector<std::string> devices = DefaultDevices();
    if (static_cast<std::size_t>(portIndex) >= devices.size())
        return {};
    return devices[static_cast<std::size_t>(portIndex)];
}

}  // namespace platform
