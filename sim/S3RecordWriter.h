#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sim {

// Writes programmed memory as Motorola S-records with 32-bit addresses: an S0 header,
// S3 data lines of up to 32 bytes that follow the ranges (gaps stay gaps), an S7 end.
class S3RecordWriter {
  public:
    static constexpr std::size_t kBytesPerLine = 32;

    static std::string Format(const std::map<std::uint32_t, std::vector<std::uint8_t>>& ranges);
    // Writes to a temporary file beside the path and renames it over the path, so a
    // reader never sees half a file. False when the file could not be written.
    static bool WriteFile(const std::string& path,
                          const std::map<std::uint32_t, std::vector<std::uint8_t>>& ranges);
};

}  // namespace sim
