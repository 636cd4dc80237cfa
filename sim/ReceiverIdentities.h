#pragma once

#include <array>
#include <string_view>

namespace sim {

// The receivers this simulator can pretend to be: the identity each one reports
// about itself (product code, name, loader family). Kept here rather than taken from
// the uploader, because a receiver knows its own identity.
class ReceiverIdentities {
  public:
    struct Row {
        std::string_view productCode;  // three characters, as in the version reply
        std::string_view displayName;
        int family;  // loader family: 2, 3 (a family-2 unit told apart by its model text), 5, 6, 15
        int unitType;
        bool keepsMap;  // answers the map header query
        bool keepsPoi;  // answers the POI or database header query
    };

    static const std::array<Row, 15>& All();
    // First row with this display name (exact), or nullptr.
    static const Row* FindByName(std::string_view name);
    // First row with this product code, or nullptr.
    static const Row* FindByCode(std::string_view code);
};

}  // namespace sim
