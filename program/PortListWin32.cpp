// --list-ports on Windows: COM1 to COM4 and every further port the system knows, with
// its driver's device name.
#include "program/PortList.h"

#include <map>

#include "platform/win32/SerialCommRegistry.h"

std::vector<std::string> PortList::Lines(const std::string& /*byIdDir*/) {
    std::map<int, std::string> known;
    for (const platform::SerialCommEntry& entry : platform::ReadSerialCommRegistry())
        known[entry.number] = entry.device;
    for (int number = 1; number <= kScannedPorts; ++number)
        known.emplace(number, std::string());
    std::vector<std::string> lines;
    for (const auto& [number, device] : known)
        lines.push_back("COM" + std::to_string(number) + "  " +
                        (device.empty() ? std::string("no device") : device));
    return lines;
}
