#pragma once

#include <array>

#include "ui/DialogTemplate.h"

// The speeds of the "Set Baud Rate" buttons, top to bottom (ids from IDC_BAUD_FIRST on);
// 0 is "Autobaud".
inline constexpr std::array<int, 10> kBaudRateChoices{1200,   4800,   9600,   19200,  57600,
                                                      115200, 230400, 460800, 921600, 0};

// "Set Baud Rate": one radio group of the speeds, then "OK" (default) and "Cancel".
const ui::DialogTemplate& BaudRateTemplate();
