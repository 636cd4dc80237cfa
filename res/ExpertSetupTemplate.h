#pragma once

#include <array>
#include <string_view>

#include "ui/DialogTemplate.h"

// The model buttons of the "Unit Type" group, top to bottom (ids from
// IDC_EXPERT_UNIT_FIRST on).
inline constexpr std::array<std::string_view, 13> kExpertModelNames{
    "GPS 7K1/7K2",    "MAP 7K3",          "Solvanta",
    "Solvanta GPS",   "Solvanta Marine",  "Solvanta Color",
    "Pathwick",       "Pathwick Map/Pro", "Pathwick Pro Marine",
    "Pathwick Color", "Pathwick Topo",    "QT 7K4 Color",
    "QT7K4",
};

// "Expert Setup": "Unit Type" on the left, "Com Port" (four ports and "COM" with a number
// box) and "Expert Upload" (Off, On) at the top, then Save, Cancel, OK (default) and the
// disabled "Non-Standard Baud Rates".
const ui::DialogTemplate& ExpertSetupTemplate();
