#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "tests/support/WireBytes.h"

// Reply sentences as a receiver sends them, for the tests of the command channel.
namespace replytext {

// "$" + body + "*hh" with the exclusive-or of the body, xored with `twist`.
inline std::string Sentence(std::string_view body, unsigned char twist = 0) {
    const std::string line = wire::Sentence(std::string(body), twist);
    return line.substr(0, line.size() - 2);
}

// A version reply: code at 9, separator at 12, version at 13 (nine wide), model text at 22.
inline std::string Version(std::string_view code, std::string version = "1.00",
                           std::string_view model = "", char separator = ',') {
    version.resize(std::max<std::size_t>(version.size(), 9), ' ');
    return Sentence("PXRVVER," + std::string(code) + separator + version + std::string(model));
}

}  // namespace replytext
