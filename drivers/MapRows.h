#pragma once

#include <climits>

#include "drivers/UploadDialogBase.h"
#include "drivers/UploadKindRow.h"
#include "res/Resource.h"
#include "res/UploadProgressTemplates.h"

// What the two map families share: their progress dialog, and the map rows of their tables.

inline const ProgressLook kMapLook{UploadStatusTemplate,
                                   IDC_CURRENT_FILE,
                                   IDC_PROGRESS,
                                   IDC_UPLOAD_STATUS,
                                   IDC_PERCENT_TEXT,
                                   99,
                                   true};

constexpr UploadKindRow BaseMapRow(std::uint8_t recordNumbered, EraseEnd eraseEnd,
                                   std::uint8_t addressCheck, std::uint32_t spaceLimit) {
    return {false,
            "CMD,MPUPLOAD,1",
            3,
            recordNumbered,
            0,
            eraseEnd,
            addressCheck,
            "Uploading base map file - ",
            spaceLimit,
            "Error reading map file",
            kMapPicker};
}

inline constexpr UploadKindRow kDetailMapRow{
    false, "CMD,MPUPLOAD,2",         3,         1,
    0,     EraseEnd::WholeSpace,     1,         "Uploading detail map file - ",
    0,     "Error reading map file", kMapPicker};
