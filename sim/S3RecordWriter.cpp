#include "sim/S3RecordWriter.h"

#include <algorithm>
#include <cstdio>

namespace sim {

namespace {

void AppendLine(std::string& out, char type, std::uint32_t address, int addressBytes,
                const std::uint8_t* data, std::size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    const auto count = static_cast<std::uint8_t>(addressBytes + size + 1);
    std::uint8_t sum = count;
    auto hex = [&out](std::uint8_t byte) {
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    };
    out += 'S';
    out += type;
    hex(count);
    for (int i = addressBytes - 1; i >= 0; --i) {
        const auto byte = static_cast<std::uint8_t>(address >> (8 * i));
        sum = static_cast<std::uint8_t>(sum + byte);
        hex(byte);
    }
    for (std::size_t i = 0; i < size; ++i) {
        sum = static_cast<std::uint8_t>(sum + data[i]);
        hex(data[i]);
    }
    hex(static_cast<std::uint8_t>(~sum));
    out += '\n';
}

}  // namespace

std::string S3RecordWriter::Format(
    const std::map<std::uint32_t, std::vector<std::uint8_t>>& ranges) {
    std::string out;
    static const std::uint8_t kHeader[] = {'f', 'l', 'a', 's', 'h'};
    AppendLine(out, '0', 0, 2, kHeader, sizeof kHeader);
    for (const auto& [start, bytes] : ranges) {
        for (std::size_t offset = 0; offset < bytes.size(); offset += kBytesPerLine) {
            const std::size_t size = std::min(kBytesPerLine, bytes.size() - offset);
            AppendLine(out, '3', static_cast<std::uint32_t>(start + offset), 4,
                       bytes.data() + offset, size);
        }
    }
    AppendLine(out, '7', 0, 4, nullptr, 0);
    return out;
}

bool S3RecordWriter::WriteFile(const std::string& path,
                               const std::map<std::uint32_t, std::vector<std::uint8_t>>& ranges) {
    const std::string text = Format(ranges);
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::remove(temporary.c_str());
        return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace sim
