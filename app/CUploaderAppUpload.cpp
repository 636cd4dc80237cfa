// The Upload command: identification, the driver of the receiver's family, and the passes
// that follow some families; the automatic upload and the map continuation run it too.
#include "app/CGpsUnit.h"
#include "app/CMainFrame.h"
#include "app/CUploadConfirmDlg.h"
#include "app/CUploaderApp.h"
#include "command/CConnectDlg.h"
#include "command/CDatabaseTypeDlg.h"
#include "command/MapHeaderRule.h"
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

void CUploaderApp::Inform(const char* text, const char* caption) {
    ui::MessageBox(mainWindow, text, caption, ui::MB_OK | ui::MB_ICONINFORMATION);
}

bool CUploaderApp::ConnectToReceiver() {
    unit.ForgetReceiver();
    CConnectDlg connect(unit, unit.autoUpload, mainWindow);
    if (connect.DoModal() != ui::IDOK)
        return false;
    if (unit.family == 1) {
        Inform("UNSUPPORTED RECEIVER", "ERROR");
        SetStatusText("Connected receiver not supported");
        return false;
    }
    SetStatusText(unit.unitName);
    return true;
}

std::unique_ptr<UploadDriver>& CUploaderApp::DriverSlot(int family) {
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

bool CUploaderApp::RunDriver(int family) {
    std::unique_ptr<UploadDriver>& driver = DriverSlot(family);
    driver = driverFactory ? driverFactory(family) : nullptr;
    return driver && driver->IsReady() && driver->RunModal() == ui::IDOK;
}

void CUploaderApp::OnUpload() {
    if (unit.expertMode != 0) {
        // The user has put the receiver into its load mode and named it in the expert setup.
        if (unit.isOpen == 0)
            unit.Open(unit.comIndex, unit.baud, true);
        Inform("Expert upload mode is turned ON.", "REMINDER");
    } else {
        if (!ConnectToReceiver())
            return;
        CDatabaseTypeDlg databaseType(unit, unit.autoUpload, mainWindow);
        bool headersArrived = databaseType.DoModal() == ui::IDOK;
        if (ApplyMapHeaderRule(unit))
            SetStatusText(unit.unitName);
        if (!headersArrived)
            return;
    }

    switch (unit.family) {
        case 2:
            RunFamily2Sequence();
            break;
        case 5:
            RunFamily5Sequence();
            break;
        case 6:
        case 15:
            RunSimpleSequence(unit.family);
            break;
        default:
            break;
    }
}

void CUploaderApp::RunSimpleSequence(int family) {
    bool success = RunDriver(family);
    if (success) {
        Inform("Upload complete", kStatus);
        // What this run sent is no choice for the next one: a detail map left chosen
        // would go out as a base map.
        if (family == 6) {
            if (mapUpload3->UploadKind() == kUploadedCode)
                unit.codeChosen = 0;
            else
                unit.dataChosen = 0;
        }
    }
    DriverSlot(family).reset();
    if (!success) {
        unit.codeChosen = 0;
        unit.dataChosen = 0;
    }
}

void CUploaderApp::RunFamily5Sequence() {
    bool success = RunDriver(5);
    if (success) {
        switch (mapUpload4->UploadKind()) {
            case kUploadedCode:
                Inform("Upload of CODE complete", kStatus);
                unit.codeChosen = 0;
                break;
            case kUploadedBaseMap:
                Inform("Upload of BASE MAP complete", kStatus);
                unit.dataChosen = 0;
                break;
            case kUploadedDetailMap:
                Inform("Upload of DETAIL MAP complete", kStatus);
                unit.dataChosen = 0;
                break;
            default:
                Inform("Upload complete", kStatus);
                break;
        }
    }
    mapUpload4.reset();
    if (!success) {
        unit.codeChosen = 0;
        unit.dataChosen = 0;
    } else if (unit.autoUpload == 0 && unit.dataChosen == 1) {
        ContinueMapUpload();
    }
}

void CUploaderApp::RunFamily2Sequence() {
    if (RunDriver(2)) {
        switch (databaseUpload->UploadKind()) {
            case kUploadedCode:
                Inform("Upload of CODE complete", kStatus);
                unit.codeChosen = 0;
                break;
            case kUploadedDatabase:
                Inform("Upload of DATABASE complete", kStatus);
                unit.dataChosen = 0;
                break;
            default:
                Inform("Upload complete", kStatus);
                break;
        }
        if (databaseUpload->SecondPassNeeded())
            unit.bootReloadPass = 1;
    }
    // The boot loader is reloaded even when the first run did not end well.
    if (databaseUpload && databaseUpload->SecondPassNeeded()) {
        databaseUpload.reset();
        Inform("Power on unit to continue loading\nand click OK", "Reload Boot Loader");
        if (RunDriver(2))
            Inform("Upload complete", kStatus);
        unit.bootReloadPass = 0;
    }
    databaseUpload.reset();
}

void CUploaderApp::AutoUpload() {
    {
        CUploadConfirmDlg confirm(*this, mainWindow);
        if (confirm.DoModal() != ui::IDOK)
            return;
    }
    unit.expertMode = 0;
    unit.autoUpload = 1;
    bool secondPass = true;
    if (unit.codeChosen != 0) {
        OnUpload();
        secondPass = unit.autoUpload == 1 && unit.codeChosen != 0;
        if (secondPass)
            Inform("Power on GPS unit\nto upload code.", "CONTINUE AUTO UPLOAD");
    }
    if (secondPass) {
        unit.autoFirstPass = 0;
        OnUpload();
        unit.autoFirstPass = 1;
    }
    unit.autoUpload = 0;
    unit.codeChosen = 0;
    unit.dataChosen = 0;
}

void CUploaderApp::ContinueMapUpload() {
    Inform("Power on GPS unit\nto upload map file.", "CONTINUE UPLOAD");
    bool identified = unit.expertMode != 0;
    if (!identified && ConnectToReceiver()) {
        CDatabaseTypeDlg databaseType(unit, unit.autoUpload, mainWindow);
        identified = databaseType.DoModal() == ui::IDOK;
    }
    if (unit.family != 5 || !identified || unit.dataChosen != 1)
        return;

    mapUpload4 = driverFactory ? driverFactory(5) : nullptr;
    if (mapUpload4 && mapUpload4->IsReady()) {
        mapUpload4->SetUploadKind(kMapContinuation);
        if (mapUpload4->RunModal() == ui::IDOK) {
            if (mapUpload4->UploadKind() == kUploadedBaseMap) {
                Inform("Upload of BASE MAP complete", kStatus);
                unit.dataChosen = 0;
            } else {
                Inform("Upload complete", kStatus);
                unit.dataChosen = 0;
                unit.codeChosen = 0;
            }
        }
    }
    mapUpload4.reset();
}
