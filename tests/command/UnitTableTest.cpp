// The table of supported receivers against the values the receivers report and the
// upload families that load them, written out here rather than taken from the table.
#include "command/UnitTable.h"

#include <gtest/gtest.h>

#include <string>

TEST(UnitTable, RowsInSearchOrderHoldTheSupportedReceivers) {
    struct Row {
        int family;
        int unitType;
        const char* code;
        const char* name;
        int mapHeader;
        int poiHeader;
    };
    const Row expected[] = {
        {2, 2, "024", "GPS7K1/7K2", 0, 1},
        {3, 2, "023", "GPS7K1/7K2", 0, 1},
        {5, 5, "030", "MAP7K3", 1, 0},
        {5, 10, "035", "Tesselo2", 1, 0},
        {5, 7, "033", "Solvanta", 1, 0},
        {6, 6, "033", "Solvanta GPS", 1, 0},
        {15, 15, "037", "Pathwick", 0, 1},
        {5, 11, "036", "Pathwick Map/Pro", 1, 0},
        {5, 16, "038", "QT 7K4 Color", 1, 0},
        {5, 17, "040", "QT 7K4 B&W", 1, 0},
        {5, 8, "039", "Color Solvanta", 1, 0},
        {5, 12, "041", "Pathwick Color", 1, 0},
        {5, 13, "042", "Pathwick Pro Marine", 1, 0},
        {5, 9, "043", "Solvanta Marine", 1, 0},
        {5, 14, "044", "Pathwick Topo", 1, 0},
    };
    ASSERT_EQ(UnitTable.size(), std::size(expected));
    for (std::size_t i = 0; i < UnitTable.size(); ++i) {
        const UnitTableRow& row = UnitTable[i];
        const Row& want = expected[i];
        SCOPED_TRACE("row " + std::to_string(i + 1));
        EXPECT_EQ(row.family, want.family);
        EXPECT_EQ(row.unitType, want.unitType);
        EXPECT_EQ(row.productCode, want.code);
        EXPECT_EQ(row.displayName, want.name);
        EXPECT_EQ(row.askMapHeader, want.mapHeader);
        EXPECT_EQ(row.askPoiHeader, want.poiHeader);
    }
}
