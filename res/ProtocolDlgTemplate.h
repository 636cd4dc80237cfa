#pragma once

#include "ui/DialogTemplate.h"

// "Determing Upload Protocol": the receiver and its port, the time spent listening for
// the loader, a hint for a receiver that has left its load mode, and Cancel.
const ui::DialogTemplate& ProtocolDlgTemplate();
