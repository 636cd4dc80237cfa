#pragma once

#include "ui/DialogTemplate.h"

// "Determining Database Type": the receiver and its port, the time spent waiting, and
// Cancel.
const ui::DialogTemplate& DatabaseTypeDlgTemplate();
