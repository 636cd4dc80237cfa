#pragma once

#include "ui/DialogTemplate.h"

// "WARNING - FIRMWARE PROBLEM": a warning icon, two read-only centred lines the width of
// the dialog, "Continue" (the default, OK) and "Abort" (Cancel).
const ui::DialogTemplate& FirmwareWarningTemplate();
