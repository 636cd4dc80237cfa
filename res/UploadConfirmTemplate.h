#pragma once

#include "ui/DialogTemplate.h"

// "Upload" (resource 142): the question "Proceed with software upload?", a read-only line
// naming what is about to be loaded, YES (OK) and NO (Cancel).
const ui::DialogTemplate& UploadConfirmTemplate();
