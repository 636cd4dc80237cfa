#include "drivers/SingleImageUploadDialog.h"

#include <cstdio>
#include <string>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"

SingleImageUploadDialog::SingleImageUploadDialog(const ProgressLook& look,
                                                 const SingleImageFamily& family, CUploaderApp& app)
    : UploadDialogBase(look, app), family_(family) {}

SingleImageUploadDialog::~SingleImageUploadDialog() {
    reader.Close();
    ReleaseUpload();
    if (!unit_.autoUpload)
        return;
    if (unit_.autoFirstPass && SendsDataImage() && unit_.codeChosen) {
        // The code follows in the automatic run's second pass.
        unit_.dataChosen = 0;
        return;
    }
    unit_.dataChosen = 0;
    unit_.codeChosen = 0;
    unit_.autoUpload = 0;
    unit_.autoFirstPass = 1;
}

void SingleImageUploadDialog::Prepare() {
    ready = 1;
    rememberedBaud = unit_.baud;
    if (!PackageAccepted()) {
        ready = 0;
        return;
    }
    // A package that names both images loads the data image first; the code follows in
    // the automatic run's second pass, once the receiver has been powered on again.
    uploadKind = unit_.autoUpload && unit_.dataChosen ? kAutomaticDataKind : ChooseKind();
    ready = 0;
    if (uploadKind == family_.nothingKind)
        return;
    if (!unit_.autoUpload)
        ConfirmChosenFile();
    if (uploadKind != family_.nothingKind)
        ready = PrepareKind(family_.rows[static_cast<std::size_t>(uploadKind)]) ? 1 : 0;
    if (!ready)
        unit_.autoUpload = 0;
}

bool SingleImageUploadDialog::PackageAccepted() {
    if (unit_.autoUpload && app_.autoUnitType == kOtherFamilyUnitType) {
        RefusePackage();
        return false;
    }
    return true;
}

bool SingleImageUploadDialog::SendsDataImage() const {
    return uploadKind != family_.nothingKind &&
           !family_.rows[static_cast<std::size_t>(uploadKind)].codeImage;
}

int SingleImageUploadDialog::KindOfAnswer(
    int answer, const std::vector<std::pair<int, int>>& kindByButton) const {
    for (const auto& [button, kind] : kindByButton) {
        if (button == answer)
            return kind;
    }
    return family_.nothingKind;
}

void SingleImageUploadDialog::ConfirmChosenFile() {
    uploadKind = KindToSend(uploadKind);
    const UploadKindRow& row = family_.rows[static_cast<std::size_t>(uploadKind)];
    std::string& path = row.codeImage ? unit_.codePath : unit_.dataPath;
    switch (ConfirmFile(path, row.changePicker)) {
        case FileAnswer::Send:
            break;
        case FileAnswer::Cancelled:
            unit_.codeChosen = 0;
            unit_.dataChosen = 0;
            uploadKind = family_.nothingKind;
            break;
        case FileAnswer::ChangeCancelled:
            uploadKind = family_.nothingKind;
            break;
    }
}

bool SingleImageUploadDialog::PrepareKind(const UploadKindRow& row) {
    const std::string& path = row.codeImage ? unit_.codePath : unit_.dataPath;
    if (!OpenImage(reader, path, row.openError))
        return false;
    const std::uint32_t eraseEnd = row.eraseEnd == EraseEnd::CodeEnd      ? CodeEraseEnd(reader)
                                   : row.eraseEnd == EraseEnd::ReaderSize ? reader.size
                                                                          : 0xFFFFFFFFu;
    if (!ImageFits(reader, row.loadAddress, eraseEnd))
        return false;
    if (!unit_.expertMode && !reader.Validate(row.validationKind, false, app_.ImageCheck()))
        return false;
    if (row.spaceLimit != 0 && reader.size > row.spaceLimit) {
        char text[96];
        std::snprintf(text, sizeof text, "File size of %d exceeds space limit of %d",
                      static_cast<int>(reader.size), static_cast<int>(row.spaceLimit));
        ShowError(text);
        return false;
    }
    if (row.codeImage && !unit_.autoUpload && !app_.ConfirmFirmwareOverwrite(&reader))
        return false;
    if (!unit_.expertMode)
        SendLoadCommand(row.commandSentence);
    if (!DetermineProtocol())
        return false;

    // An S-record image's size is the address of a byte near its end, not a count: the
    // percentage goes by the bytes from the load address to its last byte instead.
    const std::int64_t progressSize = row.eraseEnd == EraseEnd::CodeEnd && reader.isSRecord
                                          ? std::int64_t{eraseEnd} - row.loadAddress + 1
                                          : std::int64_t{reader.size};
    CreateRun(
        {LoaderTarget{.uploadFamily = unit_.family, .bootReloadPass = unit_.bootReloadPass != 0},
         row.recordNumbered, eraseEnd, row.addressCheck},
        {{&reader, row.loadAddress, row.currentFilePrefix + path, progressSize}});
    return true;
}
