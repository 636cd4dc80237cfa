#include "COMLINK/HandshakeSettings.h"

#include "COMLINK/CommLink.h"

HandshakeSettings::HandshakeSettings(CommLink& link) : port_(link.Port()) {
    Refresh();
    port_.GetHandshake(savedRx_, savedTx_);
    rx_ = savedRx_;
    tx_ = savedTx_;
}

int HandshakeSettings::Set(int rxCode, int txCode) {
    rx_ = rxCode;
    tx_ = txCode;
    return port_.SetHandshake(rx_, tx_);
}

int HandshakeSettings::Restore() {
    return Set(savedRx_, savedTx_);
}

int HandshakeSettings::Refresh() {
    return port_.StatusBlock(block_);
}
