#include "drivers/DatabaseUploadDialog.h"

#include <climits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "drivers/CityDatabase.h"
#include "drivers/DatabaseUploadTypeDialog.h"
#include "res/Resource.h"
#include "res/UploadProgressTemplates.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBox.h"

namespace {

const ProgressLook kLook{DatabaseUploadTemplate,
                         IDC_PROMPT_TEXT,
                         IDC_DB_PROGRESS,
                         IDC_DB_STATUS,
                         IDC_PERCENT_TEXT,
                         INT_MAX,
                         false};

constexpr char kCodeError[] = "Error reading code file";
constexpr char kDatabaseError[] = "Error reading database file";

}  // namespace

DatabaseUploadDialog::DatabaseUploadDialog(CUploaderApp& app) : UploadDialogBase(kLook, app) {
    Prepare();
}

DatabaseUploadDialog::~DatabaseUploadDialog() {
    dataReader.Close();
    codeReader.Close();
    ReleaseUpload();
    unit_.codeChosen = 0;
    unit_.dataChosen = 0;
    unit_.autoUpload = 0;
}

void DatabaseUploadDialog::Prepare() {
    ready = 1;
    uploadKind = kNothing;
    rememberedBaud = unit_.baud;
    if (unit_.bootReloadPass) {
        phase = kBootBlockPhase;
        uploadKind = 0;
        unit_.dataChosen = 0;
        unit_.codeChosen = 1;
        databaseWanted = 0;
    } else {
        unit_.databaseType = CityDatabase::TypeFromReply(unit_.poiHeader);
    }
    if (unit_.autoUpload) {
        // A package that names only a database loads it as the "Database" choice does.
        uploadKind = unit_.codeChosen ? 2 : 1;
        databaseWanted = 1;
        if (!app_.manualMode && !unit_.expertMode && unit_.dataChosen &&
            !CityDatabase::ImageMatches(unit_.dataPath, unit_.databaseType)) {
            RefusePackage();
            ready = 0;
            return;
        }
    } else if (!unit_.bootReloadPass) {
        ChooseKind();
    }
    ready = 0;
    if (uploadKind == kNothing)
        return;
    ConfirmFiles();
    // A cancelled choice ends the run here: no question about the database follows.
    if (uploadKind == kNothing || !DecideDatabase())
        return;
    if (!OpenImages())
        return;
    if (!unit_.expertMode && !unit_.bootReloadPass)
        SendLoadCommand("CMD,DBUPLOAD");
    if (!DetermineProtocol() || !ValidateImages())
        return;
    CreateRunForKind();
}

void DatabaseUploadDialog::ChooseKind() {
    if (unit_.codeChosen) {
        uploadKind = 0;
        return;
    }
    if (unit_.dataChosen) {
        uploadKind = 1;
        return;
    }
    DatabaseUploadTypeDialog dialog(app_);
    switch (dialog.DoModal()) {
        case IDC_DB_TYPE_CODE:
            uploadKind = 0;
            break;
        case IDC_DB_TYPE_BOTH:
            uploadKind = 2;
            databaseWanted = 1;
            break;
        case IDC_DB_TYPE_DATABASE:
            uploadKind = 1;
            databaseWanted = 1;
            break;
        default:
            uploadKind = kNothing;
            break;
    }
}

void DatabaseUploadDialog::ConfirmFiles() {
    if (unit_.autoUpload || unit_.bootReloadPass) {
        unit_.codeChosen = 1;
        unit_.dataChosen = 1;
        return;
    }
    // "Change file" replaces the file the dialog showed; the kind stays.
    std::string& first = uploadKind == 1 ? unit_.dataPath : unit_.codePath;
    const FileAnswer answer = ConfirmFile(first, kDatabasePicker);
    const FileAnswer second = answer == FileAnswer::Send && uploadKind == 2
                                  ? ConfirmFile(unit_.dataPath, kDatabasePicker)
                                  : answer;
    if (second == FileAnswer::Send)
        return;
    uploadKind = kNothing;
    if (second == FileAnswer::Cancelled) {
        unit_.codeChosen = 0;
        unit_.dataChosen = 0;
    }
}

bool DatabaseUploadDialog::DecideDatabase() {
    if (uploadKind == 1 && unit_.dataChosen) {
        databaseWanted = 1;
        phase = kLastFilePhase;
        return true;
    }
    if (unit_.bootReloadPass)
        return true;
    if (unit_.fwMajor < kFirstCurrentFirmware) {
        secondPass = 1;
        if (unit_.databaseType == CityDatabase::kNone) {
            // The run loads the code alone, and says so when it was to load a database.
            databaseDropped_ = databaseWanted != 0;
            if (databaseDropped_)
                uploadKind = 0;
            databaseWanted = 0;
        } else if (unit_.databaseType == CityDatabase::kCustom) {
            const int answer = ui::MessageBox(
                app_.mainWindow,
                "The receiver contains a custom database.\nThis will be lost.\nContinue?",
                "Database", ui::MB_OKCANCEL);
            if (answer != ui::IDOK)
                return false;
            std::optional<std::string> path = kDatabasePicker.Ask(app_.mainWindow, kCustomProposal);
            databaseWanted = path ? 1 : 0;
            if (path)
                unit_.dataPath = *path;
        } else {
            databaseWanted = 1;
        }
    }
    if (databaseWanted && unit_.dataPath.empty()) {
        const std::string_view builtIn = CityDatabase::BuiltInFile(unit_.databaseType);
        if (builtIn.empty())
            databaseWanted = 0;
        else
            unit_.dataPath = builtIn;
    }
    return true;
}

bool DatabaseUploadDialog::OpenImages() {
    bool codeOpened = false;
    if (uploadKind == 0 || uploadKind == 2) {
        if (!unit_.bootReloadPass)
            phase = kCodePhase;
        // The boot block pass sends part of the same image, read at its own offsets.
        codeOpened = OpenImage(codeReader, unit_.codePath, kCodeError) &&
                     ImageFits(codeReader, kCodeLoadAddress, kCodeEraseEnd);
        ready = codeOpened ? 1 : 0;
    }
    if (databaseWanted && (uploadKind == 1 || codeOpened))
        ready = OpenImage(dataReader, unit_.dataPath, kDatabaseError) &&
                        ImageFits(dataReader, kDatabaseLoadAddress, kCodeAndDatabaseEraseEnd)
                    ? 1
                    : 0;
    return ready != 0;
}

bool DatabaseUploadDialog::ValidateImages() {
    // Done after the load command, and in expert mode too.
    if (uploadKind == 0 || uploadKind == 2) {
        ready = codeReader.Validate(0, false, app_.ImageCheck());
        if (!ready)
            ShowError(kCodeError);
    }
    if (databaseWanted && ready) {
        ready = dataReader.Validate(1, false, app_.ImageCheck());
        if (!ready)
            ShowError(kDatabaseError);
    }
    return ready != 0;
}

void DatabaseUploadDialog::CreateRunForKind() {
    const UploadRun::Settings settings{
        LoaderTarget{.uploadFamily = unit_.family, .bootReloadPass = unit_.bootReloadPass != 0}, 0,
        kCodeEraseEnd, 1};
    if (unit_.bootReloadPass) {
        CreateRun(settings, {{&codeReader, kBootBlockLoadAddress, "Uploading boot block",
                              std::int64_t{codeReader.size} - kBootBlockLoadAddress, phase}});
    } else if (uploadKind == 1) {
        CreateRun({settings.target, 0, kCodeAndDatabaseEraseEnd, 1},
                  {{&dataReader, kDatabaseLoadAddress,
                    "Uploading database file -  " + unit_.dataPath, dataReader.size, phase}});
    } else {
        std::vector<UploadRun::Image> images{{&codeReader, kCodeLoadAddress,
                                              "Uploading code file -  " + unit_.codePath,
                                              codeReader.size, phase}};
        // The database follows the code in the same session.
        if (databaseWanted)
            images.push_back({&dataReader, kDatabaseLoadAddress,
                              "Uploading database file - " + unit_.dataPath, dataReader.size,
                              kLastFilePhase});
        CreateRun(
            {settings.target, 0, databaseWanted ? kCodeAndDatabaseEraseEnd : kCodeEraseEnd, 1},
            std::move(images));
    }
}

int DatabaseUploadDialog::RunModal() {
    const int result = UploadDialogBase::RunModal();
    if (result == ui::IDOK && databaseDropped_) {
        ui::MessageBox(app_.mainWindow,
                       "Database was not written:\nunit with firmware below 3\nreports no database",
                       "WARNING", ui::MB_OK | ui::MB_ICONEXCLAMATION);
    }
    return result;
}
