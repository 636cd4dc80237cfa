#include "app/UploadCommand.h"

#include "app/CGpsUnit.h"
#include "app/CUploadConfirmDlg.h"
#include "command/CConnectDlg.h"
#include "command/CDatabaseTypeDlg.h"
#include "command/MapHeaderRule.h"
#include "ui/Application.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBox.h"

namespace {

// What a driver reports it uploaded.
constexpr int kUploadedCode = 0;
constexpr int kUploadedBaseMap = 1;  // family 5
constexpr int kUploadedDetailMap = 2;
constexpr int kUploadedDatabase = 1;  // family 2
// A family-5 driver started for the map after the code.
constexpr int kMapContinuation = 3;

constexpr const char* kStatus = "STATUS";

}  // namespace

void UploadCommand::Inform(const char* text, const char* caption) {
    ui::MessageBox(shell_.mainWindow, text, caption, ui::MB_OK | ui::MB_ICONINFORMATION);
}

void UploadCommand::SetStatusText(const std::string& text) {
    if (shell_.mainWindow != nullptr)
        shell_.mainWindow->SetPaneText(0, text);
}

bool UploadCommand::ConnectToReceiver() {
    unit_.ForgetReceiver();
    CConnectDlg connect(unit_, unit_.autoUpload, shell_.mainWindow);
    if (connect.DoModal() != ui::IDOK)
        return false;
    if (unit_.family == 1) {
        Inform("UNSUPPORTED RECEIVER", "ERROR");
        SetStatusText("Connected receiver not supported");
        return false;
    }
    SetStatusText(unit_.unitName);
    return true;
}

std::unique_ptr<UploadDriver>& UploadCommand::DriverSlot(int family) {
    switch (family) {
        case 2:
            return databaseUpload;
        case 5:
            return mapUpload4;
        case 6:
            return mapUpload3;
        default:
            return poiUpload;
    }
}

bool UploadCommand::RunDriver(int family) {
    std::unique_ptr<UploadDriver>& driver = DriverSlot(family);
    driver = driverFactory ? driverFactory(family) : nullptr;
    return driver && driver->IsReady() && driver->RunModal() == ui::IDOK;
}

void UploadCommand::OnUpload() {
    if (unit_.expertMode != 0) {
        // The user has put the receiver into its load mode and named it in the expert setup.
        if (unit_.isOpen == 0)
            unit_.Open(unit_.comIndex, unit_.baud, true);
        Inform("Expert upload mode is turned ON.", "REMINDER");
    } else {
        if (!ConnectToReceiver())
            return;
        CDatabaseTypeDlg databaseType(unit_, unit_.autoUpload, shell_.mainWindow);
        bool headersArrived = databaseType.DoModal() == ui::IDOK;
        if (ApplyMapHeaderRule(unit_))
            SetStatusText(unit_.unitName);
        if (!headersArrived)
            return;
    }

    switch (unit_.family) {
        case 2:
            RunFamily2Sequence();
            break;
        case 5:
            RunFamily5Sequence();
            break;
        case 6:
        case 15:
            RunSimpleSequence(unit_.family);
            break;
        default:
            break;
    }
}

void UploadCommand::RunSimpleSequence(int family) {
    bool success = RunDriver(family);
    if (success) {
        Inform("Upload complete", kStatus);
        // What this run sent is no choice for the next one: a detail map left chosen
        // would go out as a base map.
        if (family == 6) {
            if (mapUpload3->UploadKind() == kUploadedCode)
                unit_.codeChosen = 0;
            else
                unit_.dataChosen = 0;
        }
    }
    DriverSlot(family).reset();
    if (!success) {
        unit_.codeChosen = 0;
        unit_.dataChosen = 0;
    }
}

void UploadCommand::RunFamily5Sequence() {
    bool success = RunDriver(5);
    if (success) {
        switch (mapUpload4->UploadKind()) {
            case kUploadedCode:
                Inform("Upload of CODE complete", kStatus);
                unit_.codeChosen = 0;
                break;
            case kUploadedBaseMap:
                Inform("Upload of BASE MAP complete", kStatus);
                unit_.dataChosen = 0;
                break;
            case kUploadedDetailMap:
                Inform("Upload of DETAIL MAP complete", kStatus);
                unit_.dataChosen = 0;
                break;
            default:
                Inform("Upload complete", kStatus);
                break;
        }
    }
    mapUpload4.reset();
    if (!success) {
        unit_.codeChosen = 0;
        unit_.dataChosen = 0;
    } else if (unit_.autoUpload == 0 && unit_.dataChosen == 1) {
        ContinueMapUpload();
    }
}

void UploadCommand::RunFamily2Sequence() {
    if (RunDriver(2)) {
        switch (databaseUpload->UploadKind()) {
            case kUploadedCode:
                Inform("Upload of CODE complete", kStatus);
                unit_.codeChosen = 0;
                break;
            case kUploadedDatabase:
                Inform("Upload of DATABASE complete", kStatus);
                unit_.dataChosen = 0;
                break;
            default:
                Inform("Upload complete", kStatus);
                break;
        }
        if (databaseUpload->SecondPassNeeded())
            unit_.bootReloadPass = 1;
    }
    // The boot loader is reloaded even when the first run did not end well.
    if (databaseUpload && databaseUpload->SecondPassNeeded()) {
        databaseUpload.reset();
        Inform("Power on unit to continue loading\nand click OK", "Reload Boot Loader");
        if (RunDriver(2))
            Inform("Upload complete", kStatus);
        unit_.bootReloadPass = 0;
    }
    databaseUpload.reset();
}

void UploadCommand::AutoUpload(const ValidationContext& imageCheck) {
    {
        CUploadConfirmDlg confirm(unit_, imageCheck, shell_.mainWindow);
        if (confirm.DoModal() != ui::IDOK)
            return;
    }
    unit_.expertMode = 0;
    unit_.autoUpload = 1;
    bool secondPass = true;
    if (unit_.codeChosen != 0) {
        OnUpload();
        secondPass = unit_.autoUpload == 1 && unit_.codeChosen != 0;
        if (secondPass)
            Inform("Power on GPS unit\nto upload code.", "CONTINUE AUTO UPLOAD");
    }
    if (secondPass) {
        unit_.autoFirstPass = 0;
        OnUpload();
        unit_.autoFirstPass = 1;
    }
    unit_.autoUpload = 0;
    unit_.codeChosen = 0;
    unit_.dataChosen = 0;
}

void UploadCommand::ContinueMapUpload() {
    Inform("Power on GPS unit\nto upload map file.", "CONTINUE UPLOAD");
    bool identified = unit_.expertMode != 0;
    if (!identified && ConnectToReceiver()) {
        CDatabaseTypeDlg databaseType(unit_, unit_.autoUpload, shell_.mainWindow);
        identified = databaseType.DoModal() == ui::IDOK;
    }
    if (unit_.family != 5 || !identified || unit_.dataChosen != 1)
        return;

    mapUpload4 = driverFactory ? driverFactory(5) : nullptr;
    if (mapUpload4 && mapUpload4->IsReady()) {
        mapUpload4->SetUploadKind(kMapContinuation);
        if (mapUpload4->RunModal() == ui::IDOK) {
            if (mapUpload4->UploadKind() == kUploadedBaseMap) {
                Inform("Upload of BASE MAP complete", kStatus);
                unit_.dataChosen = 0;
            } else {
                Inform("Upload complete", kStatus);
                unit_.dataChosen = 0;
                unit_.codeChosen = 0;
            }
        }
    }
    mapUpload4.reset();
}
