#include "drivers/UploadPreparation.h"

#include <algorithm>
#include <optional>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "dialogs/CUploadFileDlg.h"
#include "image/ImageReader.h"
#include "ui/Application.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBox.h"

UploadPreparation::UploadPreparation(CUploaderApp& app) : app_(app), unit_(app.unit) {}

UploadPreparation::FileAnswer UploadPreparation::ConfirmFile(std::string& path,
                                                             const FilePicker& changePicker) {
    CUploadFileDlg dialog;
    dialog.fileName = path;
    const int answer = dialog.DoModal();
    if (answer == ui::IDCANCEL)
        return FileAnswer::Cancelled;
    if (answer != CUploadFileDlg::kChangeFile)
        return FileAnswer::Send;
    std::optional<std::string> chosen = changePicker.Ask(app_.mainWindow);
    if (!chosen)
        return FileAnswer::ChangeCancelled;
    path = *chosen;
    return FileAnswer::Send;
}

bool UploadPreparation::OpenImage(ImageReader& reader, const std::string& path,
                                  const char* errorText) {
    if (reader.Open(path))
        return true;
    ShowError(errorText);
    return false;
}

bool UploadPreparation::ImageFits(ImageReader& reader, std::uint32_t load, std::uint32_t eraseEnd) {
    if (reader.Fits(load, eraseEnd))
        return true;
    ShowError(reader.problem.c_str());
    return false;
}

void UploadPreparation::ShowError(const char* text) {
    ui::MessageBox(app_.mainWindow, text, "ERROR", ui::MB_OK | ui::MB_ICONINFORMATION);
}

void UploadPreparation::RefusePackage() {
    ui::MessageBox(app_.mainWindow, "Incorrect upload package for unit", "ERROR",
                   ui::MB_OK | ui::MB_ICONSTOP);
    ui::PostQuitMessage(0);
}

void UploadPreparation::SendLoadCommand(const char* sentence) {
    unit_.SendSentence(sentence);
    unit_.SendSentence(sentence);
    unit_.Settle();
}

std::uint32_t UploadPreparation::CodeEraseEnd(const ImageReader& reader) {
    const std::uint64_t byRule = std::uint64_t{reader.endAddress} + kCodeEraseBase;
    std::uint64_t end = byRule;
    // A binary image is written from the load address on, 16 KiB past the erase end of
    // the rule: the erase must reach its last byte (and the pad byte of an odd size).
    if (!reader.isSRecord && reader.size > 0) {
        const std::uint64_t padded = (std::uint64_t{reader.size} + 1) / 2 * 2;
        end = std::max(end, kCodeLoadAddress + padded - 1);
    }
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(end, UINT32_MAX));
}
