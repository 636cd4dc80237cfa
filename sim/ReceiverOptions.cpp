#include "sim/ReceiverOptions.h"

#include <array>
#include <utility>

namespace sim {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kDatabases = {{
    {"WORLDWIDE", ",    GPS 7K1    ,   WORLDWIDE   ,    CITIES     "},
    {"AMERICAS", ",    GPS 7K2    ,   AMERICAS    ,CITIES-NAVAIDS "},
    {"ASIA-AUSTRALIA", ",    GPS 7K2    ,ASIA-AUSTRALIA ,CITIES-NAVAIDS "},
    {"EUROPE-AFRICA", ",    GPS 7K2    , EUROPE-AFRICA ,CITIES-NAVAIDS "},
}};

constexpr bool AllHeadersHave48() {
    for (const auto& db : kDatabases) {
        if (db.second.size() != 48)
            return false;
    }
    return true;
}
static_assert(AllHeadersHave48());

}  // namespace

ReceiverOptions::ReceiverOptions() {
    SetIdentity(*ReceiverIdentities::FindByName("Pathwick"));
}

void ReceiverOptions::SetIdentity(const ReceiverIdentities::Row& row) {
    productCode = std::string(row.productCode);
    displayName = std::string(row.displayName);
    family = row.family;
    const bool sevenK = row.family == 2 || row.family == 3;
    modelText = sevenK ? "GPS 7K1/7K2" : std::string(row.displayName.substr(0, 11));
    // A Solvanta without a second memory bank is the plain GPS model.
    memory = row.family == 6 ? "4096,0,1024" : "4096,2048,1024";
    poiHeader.clear();
    mapHeader.clear();
    if (row.keepsPoi) {
        poiHeader = sevenK ? DatabaseHeaderReply(DatabaseHeader("WORLDWIDE")) : "001,POI,1.00";
    }
    if (row.keepsMap) {
        mapHeader =
            row.family == 6 ? "MAP,BASE,DEMOMAP,1.00,2400000" : "MAP,BASE,DEMOMAP,1.00,2600000";
    }
}

bool ReceiverOptions::SetModel(std::string_view nameOrCode) {
    const ReceiverIdentities::Row* row = ReceiverIdentities::FindByName(nameOrCode);
    if (row == nullptr)
        row = ReceiverIdentities::FindByCode(nameOrCode);
    if (row == nullptr)
        return false;
    SetIdentity(*row);
    return true;
}

void ReceiverOptions::SetUnknownCode(std::string_view code) {
    productCode = std::string(code);
    displayName = "unknown " + productCode;
    family = 0;
    modelText = "GPS";
    memory = "4096,2048,1024";
    poiHeader.clear();
    mapHeader.clear();
}

std::string ReceiverOptions::DatabaseHeaderReply(std::string_view header48) {
    return "001" + std::string(header48);
}

std::string ReceiverOptions::NoDatabaseReply() {
    return std::string(51, '\xFF');
}

std::string_view ReceiverOptions::DatabaseHeader(std::string_view region) {
    for (const auto& db : kDatabases) {
        if (db.first == region)
            return db.second;
    }
    return {};
}

}  // namespace sim
