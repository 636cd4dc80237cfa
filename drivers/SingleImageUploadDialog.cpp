#include "drivers/SingleImageUploadDialog.h"

#include <cstdio>
#include <string>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"

SingleImageUploadDialog::SingleImageUploadDialog(const ProgressLook& look,
                                                 const SingleImageFamily& family)
    : UploadDialogBase(look), family_(family) {}

SingleImageUploadDialog::~SingleImageUploadDialog() {
    reader.Close();
    ReleaseUpload();
    if (!theUnit.autoUpload)
        return;
    if (theUnit.autoFirstPass && SendsDataImage() && theUnit.codeChosen) {
        // The code follows in the automatic run's second pass.
        theUnit.dataChosen = 0;
        return;
    }
    theUnit.dataChosen = 0;
    theUnit.codeChosen = 0;
    theUnit.autoUpload = 0;
    theUnit.autoFirstPass = 1;
}

void SingleImageUploadDialog::Prepare() {
    ready = 1;
    rememberedBaud = theUnit.baud;
    if (!PackageAccepted()) {
        ready = 0;
        return;
    }
    // A package that names both images loads the data image first; the code follows in
    // the automatic run's second pass, once the receiver has been powered on again.
    uploadKind = theUnit.autoUpload && theUnit.dataChosen ? kAutomaticDataKind : ChooseKind();
    ready = 0;
    if (uploadKind == family_.nothingKind)
        return;
    if (!theUnit.autoUpload)
        ConfirmChosenFile();
    if (uploadKind != family_.nothingKind)
        ready = PrepareKind(family_.rows[static_cast<std::size_t>(uploadKind)]) ? 1 : 0;
    if (!ready)
        theUnit.autoUpload = 0;
}

bool SingleImageUploadDialog::PackageAccepted() {
    if (theUnit.autoUpload && theApp.autoUnitType == kOtherFamilyUnitType) {
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
    std::string& path = row.codeImage ? theUnit.codePath : theUnit.dataPath;
    switch (ConfirmFile(path, row.changePicker)) {
        case FileAnswer::Send:
            break;
        case FileAnswer::Cancelled:
            theUnit.codeChosen = 0;
            theUnit.dataChosen = 0;
            uploadKind = family_.nothingKind;
            break;
        case FileAnswer::ChangeCancelled:
            uploadKind = family_.nothingKind;
            break;
    }
}

bool SingleImageUploadDialog::PrepareKind(const UploadKindRow& row) {
    const std::string& path = row.codeImage ? theUnit.codePath : theUnit.dataPath;
    if (!OpenImage(reader, path, row.openError))
        return false;
    const std::uint32_t eraseEnd = row.eraseEnd == EraseEnd::CodeEnd      ? CodeEraseEnd(reader)
                                   : row.eraseEnd == EraseEnd::ReaderSize ? reader.size
                                                                          : 0xFFFFFFFFu;
    if (!ImageFits(reader, row.loadAddress, eraseEnd))
        return false;
    if (!theUnit.expertMode && !reader.Validate(row.validationKind, false))
        return false;
    if (row.spaceLimit != 0 && reader.size > row.spaceLimit) {
        char text[96];
        std::snprintf(text, sizeof text, "File size of %d exceeds space limit of %d",
                      static_cast<int>(reader.size), static_cast<int>(row.spaceLimit));
        ShowError(text);
        return false;
    }
    if (row.codeImage && !theUnit.autoUpload && !theApp.ConfirmFirmwareOverwrite(&reader))
        return false;
    if (!theUnit.expertMode)
        SendLoadCommand(row.commandSentence);
    if (!DetermineProtocol())
        return false;

    // An S-record image's size is the address of a byte near its end, not a count: the
    // percentage goes by the bytes from the load address to its last byte instead.
    const std::int64_t progressSize = row.eraseEnd == EraseEnd::CodeEnd && reader.isSRecord
                                          ? std::int64_t{eraseEnd} - row.loadAddress + 1
                                          : std::int64_t{reader.size};
    CreateRun({LoaderTarget{.uploadFamily = theUnit.family,
                            .bootReloadPass = theUnit.bootReloadPass != 0},
               row.recordNumbered, eraseEnd, row.addressCheck},
              {{&reader, row.loadAddress, row.currentFilePrefix + path, progressSize}});
    return true;
}
