#include "sim/NmeaSentence.h"

namespace sim {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

std::uint8_t NmeaSentence::Checksum(std::string_view body) {
    std::uint8_t sum = 0;
    for (char c : body)
        sum ^= static_cast<std::uint8_t>(c);
    return sum;
}

std::string NmeaSentence::Build(std::string_view body, bool foldDollar, bool lowerCase) {
    std::uint8_t sum = Checksum(body);
    if (foldDollar)
        sum ^= '$';
    const char* digits = lowerCase ? "0123456789abcdef" : "0123456789ABCDEF";
    std::string line;
    line.reserve(body.size() + 6);
    line += '$';
    line += body;
    line += '*';
    line += digits[sum >> 4];
    line += digits[sum & 0x0F];
    line += "\r\n";
    return line;
}

bool NmeaSentence::Check(std::string_view line, std::string_view& body) {
    if (line.size() < 4 || line[0] != '$' || line[line.size() - 3] != '*')
        return false;
    const int high = HexValue(line[line.size() - 2]);
    const int low = HexValue(line[line.size() - 1]);
    if (high < 0 || low < 0)
        return false;
    const std::string_view inner = line.substr(1, line.size() - 4);
    if (Checksum(inner) != static_cast<std::uint8_t>(high * 16 + low))
        return false;
    body = inner;
    return true;
}

}  // namespace sim
