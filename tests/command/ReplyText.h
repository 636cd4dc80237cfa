#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Reply sentences as a receiver sends them, for the tests of the command channel.
namespace replytext {

// "$" + body + "*hh" with the exclusive-or of the body, xored with `twist`.
inline std::string Sentence(std::string_view body, unsigned char twist = 0) {
    unsigned char sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(sum ^ twist));
    return "$" + std::string(body) + "*" + digits;
}

// A version reply: product code at 9..11, "," at 12, the version field from 13 (padded to
// nine characters) and the model text from 22.
inline std::string Version(std::string_view code, std::string_view version = "1.00",
                           std::string_view model = "", char separator = ',') {
    std::string field(version);
    field.resize(9, ' ');
    std::string body = "PXRVVER," + std::string(code) + separator + field + std::string(model);
    return Sentence(body);
}

inline std::string Memory(std::string_view numbers) {
    return Sentence("PXRVMEM," + std::string(numbers));
}

}  // namespace replytext
