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

void CGpsUnit::SetDefaults() {
    family = 0;
    unitType = 0;
    baud = 4800;
    fwMajor = 0;
    fwMinor = 0;
    comIndex = 0;
    memInfo = {0, 0, 0};
    unitName.clear();
    productCode.clear();
    askMapHeader = 0;
    askPoiHeader = 0;
    bootReloadPass = 0;
    expertMode = 0;
    isOpen = 0;
    openFailed = 0;
    autoUpload = 0;
    autoFirstPass = 1;
    dataPath.clear();
    codePath.clear();
    poiHeader.clear();
    mapHeader.clear();
    autoMapName.clear();
    codeChosen = 0;
    dataChosen = 0;
    databaseType = 0;
    lineBuf.fill(0);
    lineLen = 0;
}

void CGpsUnit::LoadSettingsFile() {
    SettingsFile::Values values{family, comIndex, baud};
    SettingsFile::Read(SettingsFile::kFileName, values);
    family = values.family;
    comIndex = values.comIndex;
    baud = values.baud;
    memInfo = {0, 0, 0};
}
