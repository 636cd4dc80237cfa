#include "command/UnitTable.h"

const std::array<UnitTableRow, 15> UnitTable = {{
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
}};
