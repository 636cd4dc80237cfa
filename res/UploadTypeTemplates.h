#pragma once

#include "ui/DialogTemplate.h"

// The select-type dialogs of the upload drivers: one radio button per choice, acting
// as soon as it is clicked, and "Cancel".
const ui::DialogTemplate& PoiUploadTypeTemplate();
const ui::DialogTemplate& DatabaseUploadTypeTemplate();
const ui::DialogTemplate& MapUploadType3Template();
const ui::DialogTemplate& MapUploadType4Template();
