#pragma once

#include "ui/DialogTemplate.h"

// "Establishing Communication with Receiver": the port and speed being tried, a prompt,
// and Cancel.
const ui::DialogTemplate& ConnectDlgTemplate();
