#include "app/CGpsUnit.h"

#include "COMLINK/CommLink.h"
#include "COMLINK/LineSettings.h"
#include "COMLINK/Win32CommPort.h"
#include "app/SettingsFile.h"

CGpsUnit::CGpsUnit() {
    SetDefaults();
    LoadSettingsFile();
}

CGpsUnit::~CGpsUnit() {
    Close();
}

void CGpsUnit::ResetForStart() {
    Close();
    SetDefaults();
    LoadSettingsFile();
}

void CGpsUnit::ForgetReceiver() {
    Close();
    ClearIdentification();
}

void CGpsUnit::ClearIdentification() {
    family = 0;
    unitType = 0;
    fwMajor = 0;
    fwMinor = 0;
    memInfo = {0, 0, 0};
    unitName.clear();
    productCode.clear();
    askMapHeader = 0;
    askPoiHeader = 0;
    poiHeader.clear();
    mapHeader.clear();
    databaseType = 0;
    lineBuf.fill(0);
    lineLen = 0;
}

void CGpsUnit::SetDefaults() {
    ClearIdentification();
    baud = 4800;
    comIndex = 0;
    bootReloadPass = 0;
    expertMode = 0;
    isOpen = 0;
    openFailed = 0;
    autoUpload = 0;
    autoFirstPass = 1;
    dataPath.clear();
    codePath.clear();
    autoMapName.clear();
    codeChosen = 0;
    dataChosen = 0;
}

void CGpsUnit::LoadSettingsFile() {
    SettingsFile::Values values{family, comIndex, baud};
    SettingsFile::Read(SettingsFile::kFileName, values, &settingsRefusal);
    family = values.family;
    comIndex = values.comIndex;
    baud = values.baud;
    memInfo = {0, 0, 0};
}
