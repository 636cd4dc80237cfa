#include "command/DecimalText.h"

#include <climits>

int DecimalText::ReadDigits(std::string_view text, std::size_t& at) {
    long long value = 0;
    while (at < text.size() && IsDigit(text[at])) {
        value = value * 10 + (text[at] - '0');
        if (value > INT_MAX)
            value = INT_MAX;
        ++at;
    }
    return static_cast<int>(value);
}

bool DecimalText::ReadSigned(std::string_view text, std::size_t& at, int& value) {
    std::size_t pos = at;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos >= text.size() || !IsDigit(text[pos]))
        return false;
    int magnitude = ReadDigits(text, pos);
    value = negative ? -magnitude : magnitude;
    at = pos;
    return true;
}

unsigned long DecimalText::ReadUnsigned(std::string_view text, std::size_t& at) {
    unsigned long long value = 0;
    while (at < text.size() && IsDigit(text[at])) {
        value = value * 10 + static_cast<unsigned>(text[at] - '0');
        if (value > UINT_MAX)
            value = UINT_MAX;
        ++at;
    }
    return static_cast<unsigned long>(value);
}
