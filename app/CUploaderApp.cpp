#include "app/CUploaderApp.h"

#include <cstdio>

#include "app/AutoUploadFile.h"
#include "app/CGpsUnit.h"
#include "app/SettingsFile.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBox.h"

bool CUploaderApp::InitInstance() {
    // Control containment and 3-D controls are what every backend draws anyway.
    registryKey = "Local AppWizard-Generated Applications";
    CreateMainFrame();
    baudChosenByUser = 0;
    bool automatic = LoadAutoUploadSettings();
    manualMode = automatic ? 0 : 1;
    if (automatic)
        AutoUpload();
    return true;
}

bool CUploaderApp::LoadAutoUploadSettings() {
    AutoUploadFile::Section section = AutoUploadFile::ReadSection(AutoUploadFile::kFileName);
    autoUnitType = section.unitType;
    if (autoUnitType == 1)
        return false;

    theUnit.codeChosen = 0;
    std::string code = AutoUploadFile::PathAfter(section.lines[0], "CODE=");
    if (!code.empty()) {
        theUnit.codePath = code;
        theUnit.codeChosen = 1;
    }

    theUnit.dataChosen = 0;
    std::string map = AutoUploadFile::PathAfter(section.lines[2], "MAP=");
    if (!map.empty()) {
        theUnit.dataPath = map;
        if (std::FILE* file = std::fopen(map.c_str(), "rb")) {
            std::fclose(file);
            theUnit.dataChosen = 1;
            const std::string& nameLine = section.lines[3];
            std::string name = nameLine.size() > 7 ? nameLine.substr(7) : std::string();
            theUnit.autoMapName = name.substr(0, CGpsUnit::kHeaderLength);
        }
    }
    return theUnit.codeChosen != 0 || theUnit.dataChosen != 0;
}

void CUploaderApp::SaveSettings() {
    SettingsFile::Values values{theUnit.family, theUnit.comIndex, theUnit.baud};
    if (!SettingsFile::Write(SettingsFile::kFileName, values)) {
        ui::MessageBox(mainWindow, "COULD NOT WRITE\nCONFIGURATION INFO", "ERROR",
                       ui::MB_OK | ui::MB_ICONINFORMATION);
    }
}

void CUploaderApp::CreateMainFrame() {}

void CUploaderApp::AutoUpload() {}

// Filled in with the main window's code.
bool CUploaderApp::ConfirmFirmwareOverwrite(ImageReader* /*reader*/) {
    return true;
}

void CUploaderApp::ReadMapInfo() {}
