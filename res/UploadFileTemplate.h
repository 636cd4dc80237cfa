#pragma once

#include "ui/DialogTemplate.h"

// "UPLOAD FILE": "Upload File" with the file name beside it, "Change file" below, and
// "Cancel". The two choices look like radio buttons; there is no default push button.
const ui::DialogTemplate& UploadFileTemplate();
