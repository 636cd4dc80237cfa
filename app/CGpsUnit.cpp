#include "app/CGpsUnit.h"

#include "app/SettingsFile.h"

CGpsUnit::CGpsUnit() : CommandChannel(static_cast<ReceiverIdentity&>(*this)) {
    SetDefaults();
    LoadSettingsFile();
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
    static_cast<ReceiverIdentity&>(*this) = ReceiverIdentity{};
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
