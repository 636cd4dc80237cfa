#include "COMLINK/LineSettings.h"

#include "COMLINK/CommLink.h"

LineSettings::LineSettings(CommLink* link) {
    if (link != nullptr)
        Attach(*link);
}

LineSettings::~LineSettings() {
    Restore();
}

int LineSettings::Attach(CommLink& link) {
    port_ = &link.Port();
    Capture();
    return Apply();
}

int LineSettings::Capture() {
    if (port_ == nullptr)
        return CL_ERR_GENERAL;
    port_->GetLine(savedBaud_, savedParity_, savedDataBits_, savedStopBits_);
    return 0;
}

int LineSettings::Apply() {
    if (port_ == nullptr)
        return CL_ERR_GENERAL;
    if (port_->SetLine(baud_, parity_, dataBits_, stopBits_) != 0)
        return CL_ERR_GENERAL;
    return 0;
}

int LineSettings::Set(std::int32_t baud, char parity, int dataBits, int stopBits) {
    baud_ = baud;
    parity_ = parity;
    dataBits_ = dataBits;
    stopBits_ = stopBits;
    return Apply();
}

int LineSettings::SetBaud(std::int32_t baud) {
    std::int32_t previous = baud_;
    baud_ = baud;
    int result = Apply();
    if (result != 0)
        baud_ = previous;
    return result;
}

int LineSettings::Restore() {
    if (port_ == nullptr)
        return 0;
    baud_ = savedBaud_;
    parity_ = savedParity_;
    dataBits_ = savedDataBits_;
    stopBits_ = savedStopBits_;
    return Apply();
}
