// COM<n> is the system's own name on Windows: \\.\COM<n>, for every number.
#include "platform/ComPortNames.h"
#include "platform/win32/SerialCommRegistry.h"

namespace platform {

std::string ComPortNames::PathOf(int portIndex) {
    if (portIndex < 0 || portIndex > 254)
        return {};
    return "\\\\.\\COM" + std::to_string(portIndex + 1);
}

std::vector<std::string> ComPortNames::DefaultDevices(const std::string& /*devDir*/) {
    std::vector<std::string> paths;
    for (const SerialCommEntry& entry : ReadSerialCommRegistry())
        paths.push_back(PathOf(entry.number - 1));
    return paths;
}

}  // namespace platform
