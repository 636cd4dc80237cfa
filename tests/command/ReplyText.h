#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

// Reply sentences as a receiver sends them, for the tests of the command channel.
namespace replytext {

// "$" + body + "*hh" with the exclusive-or of the body, xored with `twist`.
inline std::string Sentence(std::string_view body, unsigned char twist = 0) {
    unsigned char sum = twist;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(sum));
    std::string sentence = "$";
    sentence.append(body).append("*").append(digits);
    return sentence;
}

// A version reply: code at 9, separator at 12, version at 13 (nine wide), model text at 22.
inline std::string Version(std::string_view code, std::string version = "1.00",
                           std::string_view model = "", char separator = ',') {
    version.resize(std::max<std::size_t>(version.size(), 9), ' ');
    return Sentence("PXRVVER," + std::string(code) + separator + version + std::string(model));
}

}  // namespace replytext
