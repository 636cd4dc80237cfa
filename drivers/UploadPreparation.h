#pragma once

#include <cstdint>
#include <string>

#include "drivers/FilePicker.h"

class CGpsUnit;
class CUploaderApp;
class ImageReader;

// What the drivers do while they prepare an upload for the application's receiver, before
// their dialog is shown: the user confirms the file, the image is opened and checked, the
// receiver is switched into its loader. Failures are told to the user here.
class UploadPreparation {
  public:
    explicit UploadPreparation(CUploaderApp& app);

    // Program code of the S-record families.
    static constexpr std::uint32_t kCodeLoadAddress = 0x2D004000;
    static constexpr std::uint32_t kCodeEraseBase = 0x2D000000;

    enum class FileAnswer { Send, Cancelled, ChangeCancelled };
    // The upload-file dialog for path; "Change file" lets the user pick another file,
    // which replaces path.
    FileAnswer ConfirmFile(std::string& path, const FilePicker& changePicker);
    // Opens the image; a file that cannot be opened shows errorText.
    bool OpenImage(ImageReader& reader, const std::string& path, const char* errorText);
    // Before anything is sent: the image holds data, all of it inside the range erased
    // for it (from load to eraseEnd); otherwise the user is told why.
    bool ImageFits(ImageReader& reader, std::uint32_t load, std::uint32_t eraseEnd);
    void ShowError(const char* text);
    // Shows "Incorrect upload package for unit" and ends the program.
    void RefusePackage();
    // The command that switches the receiver into its loader, sent twice, then the pause.
    void SendLoadCommand(const char* sentence);
    // The last byte a program-code image is written to, at the least the erase end.
    static std::uint32_t CodeEraseEnd(const ImageReader& reader);

  protected:
    CUploaderApp& app_;
    CGpsUnit& unit_;
};
