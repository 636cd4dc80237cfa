#pragma once

#include <array>
#include <cstddef>
#include <string>

// What the running receiver told about itself: the model it was identified as (upload
// family, unit type, name, product code, which header it keeps), its firmware version,
// its memory and the headers of the data it holds. A value: the reply interpreter answers
// a new one for each reply.
struct ReceiverIdentity {
    // Longer texts are cut to these many characters.
    static constexpr std::size_t kHeaderLength = 127;
    static constexpr std::size_t kUnitNameLength = 19;

    // Switches to the model of unit type 6 ("Solvanta GPS"): receivers of type 7 report
    // the same product code and are told apart by memory or by their map header.
    void UseUnitType6();

    int family = 0;  // upload family: 0 none, 1 not supported, 2, 5, 6, 15
    int unitType = 0;
    int fwMajor = 0;
    int fwMinor = 0;
    std::array<int, 3> memInfo{};
    std::string unitName;
    std::string productCode;
    unsigned char askMapHeader = 0;
    unsigned char askPoiHeader = 0;
    std::string poiHeader;
    std::string mapHeader;
};
