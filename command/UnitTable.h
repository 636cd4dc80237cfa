#pragma once

#include <array>
#include <string_view>

// One supported receiver: which upload family loads it, its model number, the
// product code it reports, the name shown to the user and which header it keeps.
struct UnitTableRow {
    int family;  // 3 marks a row that needs the model-text check
    int unitType;
    std::string_view productCode;
    std::string_view displayName;
    unsigned char askMapHeader;
    unsigned char askPoiHeader;
};

// The supported receivers, searched in this order; the first match wins.
extern const std::array<UnitTableRow, 15> UnitTable;
