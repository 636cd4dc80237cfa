#pragma once

#include <cstdint>

#include "drivers/FilePicker.h"

// Where the erase of an image ends.
enum class EraseEnd {
    CodeEnd,     // program code: the image's end address in the code region
    ReaderSize,  // the image's size (loaded at 0)
    WholeSpace,  // 0xFFFFFFFF: record-numbered loads, whose receiver erases by itself
};

// What one kind of upload of a family sends, and how: a row of the family's table.
struct UploadKindRow {
    bool codeImage;  // the image is codePath; otherwise dataPath
    const char* commandSentence;
    int validationKind;
    std::uint8_t recordNumbered;
    std::uint32_t loadAddress;
    EraseEnd eraseEnd;
    std::uint8_t addressCheck;
    const char* currentFilePrefix;  // the path follows
    std::uint32_t spaceLimit;       // largest image in bytes; 0: no limit
    const char* openError;          // shown when the file cannot be opened
    FilePicker changePicker;        // "Change file" in the upload-file dialog
};

// Program code is the same row in every family that loads it at the code address.
inline constexpr UploadKindRow kCodeRow{true,       "CMD,DBUPLOAD",
                                        2,          0,
                                        0x2D004000, EraseEnd::CodeEnd,
                                        1,          "Uploading code file -  ",
                                        0,          "Error reading code file",
                                        kCodePicker};
