#include "image/SRecordLine.h"

#include <algorithm>

namespace {

// The value of digits hexadecimal digits at text; false when one is not a digit.
bool ParseHexField(std::string_view text, std::size_t digits, std::uint32_t& value) {
    if (text.size() < digits)
        return false;
    std::uint32_t result = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        int digit = SRecordLine::HexValue(text[i]);
        if (digit < 0)
            return false;
        result = (result << 4) | static_cast<std::uint32_t>(digit);
    }
    value = result;
    return true;
}

}  // namespace

int SRecordLine::HexPair(const char* text) {
    int high = HexValue(text[0]);
    int low = HexValue(text[1]);
    return (high | low) < 0 ? -1 : (high << 4) | low;
}

bool SRecordLine::ParseS3Header(std::string_view text, unsigned& count, std::uint32_t& address) {
    if (text.size() < 12 || text[0] != 'S' || text[1] != '3')
        return false;
    std::uint32_t countField = 0;
    std::uint32_t addressField = 0;
    if (!ParseHexField(text.substr(2), 2, countField))
        return false;
    if (!ParseHexField(text.substr(4), 8, addressField))
        return false;
    count = countField;
    address = addressField;
    return true;
}

bool SRecordLine::Parse(std::string_view line) {
    if (line.size() < 2 || line[0] != 'S' || line[1] < '1' || line[1] > '3')
        return false;
    int lineType = line[1] - '0';
    std::size_t addressDigits = 2 * static_cast<std::size_t>(lineType + 1);
    std::uint32_t count = 0;
    std::uint32_t lineAddress = 0;
    if (!ParseHexField(line.substr(2), 2, count))
        return false;
    if (!ParseHexField(line.substr(4), addressDigits, lineAddress))
        return false;

    // count covers the address, the data and the checksum; a short count means no data.
    std::size_t overhead = addressDigits / 2 + 1;
    std::size_t wanted = count > overhead ? count - overhead : 0;
    std::size_t dataStart = 4 + addressDigits;
    std::size_t pairs = (line.size() - dataStart) / 2;
    wanted = std::min(wanted, pairs);

    const char* digits = line.data() + dataStart;
    std::size_t decoded = 0;
    while (decoded < wanted) {
        int value = HexPair(digits + 2 * decoded);
        if (value < 0)
            break;
        data[decoded++] = static_cast<std::uint8_t>(value);
    }
    type = lineType;
    address = lineAddress;
    length = decoded;
    return true;
}
