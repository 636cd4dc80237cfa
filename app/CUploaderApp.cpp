#include "app/CUploaderApp.h"

#include <cstdio>
#include <optional>

#include "app/AutoUploadFile.h"
#include "app/CGpsUnit.h"
#include "app/CMainFrame.h"
#include "app/ImagePath.h"
#include "app/MapInfoText.h"
#include "app/SettingsFile.h"
#include "dialogs/CFirmwareWarningDlg.h"
#include "image/ImageReader.h"
#include "platform/FileStatus.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBox.h"

CUploaderApp::CUploaderApp(CGpsUnit& receiver) : unit(receiver), upload(receiver, *this) {
    unit.SetEvents(
        {[this](const std::string& reason, bool showBox) { ShowOpenFailure(reason, showBox); },
         [this](const std::string& unitName) { SetStatusText(unitName); },
         [this] { return baudChosenByUser != 0; }});
}

CUploaderApp::~CUploaderApp() {
    unit.SetEvents({});
}

bool CUploaderApp::InitInstance() {
    // Control containment and 3-D controls are what every backend draws anyway.
    registryKey = "Local AppWizard-Generated Applications";
    CreateMainFrame();
    baudChosenByUser = 0;
    // "orvane.cfg" was looked at before there was a window to say anything in.
    if (!unit.settingsRefusal.empty())
        Inform(unit.settingsRefusal.c_str(), "ERROR");
    bool automatic = LoadAutoUploadSettings();
    manualMode = automatic ? 0 : 1;
    if (automatic)
        AutoUpload();
    return true;
}

bool CUploaderApp::LoadAutoUploadSettings() {
    AutoUploadFile::Section section = AutoUploadFile::ReadSection(AutoUploadFile::kFileName);
    autoUnitType = section.unitType;
    if (!section.refusal.empty())
        Inform(section.refusal.c_str(), "ERROR");
    if (autoUnitType == 1)
        return false;

    std::string code = AutoUploadFile::PathAfter(section.lines[0], "CODE=");
    std::string map = AutoUploadFile::PathAfter(section.lines[2], "MAP=");
    // A named image that cannot be used stops the automatic upload: it would otherwise
    // go on without it.
    for (const std::string& path : {code, map}) {
        const std::string refusal = ImagePath::Refusal(path, "The file named in orvane.ini");
        if (!refusal.empty()) {
            Inform(refusal.c_str(), "ERROR");
            unit.codeChosen = 0;
            unit.dataChosen = 0;
            return false;
        }
    }

    unit.codeChosen = 0;
    if (!code.empty()) {
        unit.codePath = code;
        unit.codeChosen = 1;
    }

    unit.dataChosen = 0;
    if (!map.empty()) {
        unit.dataPath = map;
        // Opened only once known to be a regular file: a FIFO would wait for a writer.
        std::FILE* file =
            platform::StatusOf(map).IsRegular() ? std::fopen(map.c_str(), "rb") : nullptr;
        if (file != nullptr) {
            std::fclose(file);
            unit.dataChosen = 1;
            const std::string& nameLine = section.lines[3];
            std::string name = nameLine.size() > 7 ? nameLine.substr(7) : std::string();
            unit.autoMapName = name.substr(0, CGpsUnit::kHeaderLength);
        }
    }
    return unit.codeChosen != 0 || unit.dataChosen != 0;
}

void CUploaderApp::SaveSettings() {
    SettingsFile::Values values{unit.family, unit.comIndex, unit.baud};
    if (!SettingsFile::Write(SettingsFile::kFileName, values)) {
        ui::MessageBox(mainWindow, "COULD NOT WRITE\nCONFIGURATION INFO", "ERROR",
                       ui::MB_OK | ui::MB_ICONINFORMATION);
    }
}

void CUploaderApp::CreateMainFrame() {
    mainWindow = nullptr;
    mainFrame_ = std::make_unique<CMainFrame>(*this);
    if (mainFrame_->Create())
        mainWindow = mainFrame_.get();
}

void CUploaderApp::Inform(const char* text, const char* caption) {
    ui::MessageBox(mainWindow, text, caption, ui::MB_OK | ui::MB_ICONINFORMATION);
}

void CUploaderApp::SetStatusText(const std::string& text) {
    if (mainWindow != nullptr)
        mainWindow->SetPaneText(0, text);
}

namespace {

std::string Cut(std::string text, std::size_t length) {
    if (text.size() > length)
        text.resize(length);
    return text;
}

}  // namespace

ValidationContext CUploaderApp::ImageCheck() const {
    return {unit.productCode, unit.unitName, manualMode != 0 || unit.expertMode != 0,
            [](const std::string& upper, const std::string& lower) {
                CFirmwareWarningDlg dialog(upper, lower);
                return dialog.DoModal();
            }};
}

void CUploaderApp::ShowOpenFailure(const std::string& reason, bool showBox) {
    // A scan tries the port again and again: said once while it stays the same.
    if (!reason.empty() && (mainWindow == nullptr || mainWindow->PaneText(0) != reason))
        SetStatusText(reason);
    if (showBox) {
        ui::MessageBox(mainWindow, "COULD NOT OPEN COM PORT", "ERROR",
                       ui::MB_OK | ui::MB_ICONINFORMATION);
    }
}

bool CUploaderApp::ConfirmFirmwareOverwrite(ImageReader* reader) {
    if (unit.expertMode)
        return true;
    // A raw code image carries no version record; its version reads 0.00.
    auto takeVersion = [](const ImageReader& image, unsigned& major, unsigned& minor) {
        major = image.versionFound ? image.versionMajor : 0;
        minor = image.versionFound ? image.versionMinor : 0;
    };
    unsigned newMajor = 0;
    unsigned newMinor = 0;
    if (reader != nullptr) {
        takeVersion(*reader, newMajor, newMinor);
    } else {
        ImageReader own;
        if (!own.Open(unit.codePath) || own.Validate(2, false, ImageCheck()) == 0)
            return false;
        takeVersion(own, newMajor, newMinor);
    }
    char text[160];
    std::snprintf(text, sizeof text,
                  "Unit currently contains firmware\nversion %d.%02d\n\nThis will overwrite\nwith "
                  "version %u.%02u",
                  unit.fwMajor, unit.fwMinor, newMajor, newMinor);
    return ui::MessageBox(mainWindow, text, "Confirm", ui::MB_OKCANCEL | ui::MB_ICONQUESTION) ==
           ui::IDOK;
}

void CUploaderApp::ReadMapInfo() {
    if (!unit.mapHeader.empty()) {
        unitMapName = Cut(MapInfoText::HeaderField(unit.mapHeader, 2), kMapTextLength);
        unitMapVersion = Cut(MapInfoText::HeaderField(unit.mapHeader, 3), kMapTextLength);
    } else {
        unitMapName.clear();
    }

    imageMapName.clear();
    if (unit.dataPath.empty())
        return;
    std::optional<std::string> section = MapInfoText::ReadSection(unit.dataPath);
    if (!section)
        return;
    std::optional<std::string> name = MapInfoText::Value(*section, "MAP_NAME=");
    if (!name)
        return;
    imageMapName = Cut(*name, kMapTextLength);
    imageMapVersion = Cut(MapInfoText::Value(*section, "VERSION=").value_or(""), kMapTextLength);
}
