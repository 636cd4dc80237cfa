#include "command/CommandSentence.h"

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

std::uint8_t XorOf(std::string_view text) {
    std::uint8_t sum = 0;
    for (char c : text)
        sum ^= static_cast<std::uint8_t>(c);
    return sum;
}

}  // namespace

std::uint8_t CommandSentence::Checksum(std::string_view command) {
    return XorOf(kTag.substr(1)) ^ XorOf(command);
}

std::string CommandSentence::Trailer(std::string_view command) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::uint8_t sum = Checksum(command);
    std::string trailer = "*";
    trailer += kDigits[sum >> 4];
    trailer += kDigits[sum & 0x0F];
    trailer += "\r\n";
    return trailer;
}

std::string CommandSentence::Encode(std::string_view command) {
    std::string sentence(kTag);
    sentence += command;
    sentence += Trailer(command);
    return sentence;
}

bool CommandSentence::IsValidReply(std::string_view line) {
    std::size_t length = line.size();
    if (length < 4 || line[length - 3] != '*')
        return false;
    int high = HexValue(line[length - 2]);
    int low = HexValue(line[length - 1]);
    if (high < 0 || low < 0)
        return false;
    int stated = high * 16 + low;
    int computed = XorOf(line.substr(1, length - 4));
    return stated == computed || stated == (computed ^ 0x24);
}
