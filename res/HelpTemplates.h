#pragma once

#include "ui/DialogTemplate.h"

// The About box and the three help boxes: fixed texts and one "OK" button (the default)
// in the top right corner.
const ui::DialogTemplate& AboutTemplate();
const ui::DialogTemplate& FileHelpTemplate();
const ui::DialogTemplate& ExpertHelpTemplate();
const ui::DialogTemplate& UploadHelpTemplate();
