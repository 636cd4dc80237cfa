#include "sim/ReceiverIdentities.h"

namespace sim {

namespace {

const std::array<ReceiverIdentities::Row, 15> kRows = {{
    {"024", "GPS7K1/7K2", 2, 2, false, true},
    {"023", "GPS7K1/7K2", 3, 2, false, true},
    {"030", "MAP7K3", 5, 5, true, false},
    {"035", "Tesselo2", 5, 10, true, false},
    {"033", "Solvanta", 5, 7, true, false},
    {"033", "Solvanta GPS", 6, 6, true, false},
    {"037", "Pathwick", 15, 15, false, true},
    {"036", "Pathwick Map/Pro", 5, 11, true, false},
    {"038", "QT 7K4 Color", 5, 16, true, false},
    {"040", "QT 7K4 B&W", 5, 17, true, false},
    {"039", "Color Solvanta", 5, 8, true, false},
    {"041", "Pathwick Color", 5, 12, true, false},
    {"042", "Pathwick Pro Marine", 5, 13, true, false},
    {"043", "Solvanta Marine", 5, 9, true, false},
    {"044", "Pathwick Topo", 5, 14, true, false},
}};

}  // namespace

const std::array<ReceiverIdentities::Row, 15>& ReceiverIdentities::All() {
    return kRows;
}

const ReceiverIdentities::Row* ReceiverIdentities::FindByName(std::string_view name) {
    for (const Row& row : kRows) {
        if (row.displayName == name)
            return &row;
    }
    return nullptr;
}

const ReceiverIdentities::Row* ReceiverIdentities::FindByCode(std::string_view code) {
    for (const Row& row : kRows) {
        if (row.productCode == code)
            return &row;
    }
    return nullptr;
}

}  // namespace sim
