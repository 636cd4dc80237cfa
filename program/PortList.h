#pragma once

#include <string>
#include <vector>

// The lines of --list-ports: COM1 to COM4 and every further COM that has a device,
// each with its device path and, for a USB adapter, its names in /dev/serial/by-id.
class PortList {
  public:
    static constexpr int kScannedPorts = 4;  // the ports the connection scan tries

    static std::vector<std::string> Lines(const std::string& byIdDir = "/dev/serial/by-id");

  private:
    // The highest COM number that has a device: by ORVANE_COM<n> or the default list.
    static int HighestMapped();
    static std::vector<std::string> ByIdNames(const std::string& device,
                                              const std::string& byIdDir);
};
