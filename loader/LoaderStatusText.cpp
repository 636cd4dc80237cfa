#include "loader/LoaderStatusText.h"

#include <cstdio>

std::optional<std::string> LoaderStatusText(LoaderState state, int sectorsErased) {
    switch (state) {
        case LoaderState::NoPort:
            return "       NO PORT   ";
        case LoaderState::Reset:
            return "         RESET   ";
        case LoaderState::NoConnect:
            return " NO CONNECTION   ";
        case LoaderState::Hand:
            return " CREATING LINK   ";
        case LoaderState::EraseCmd:
        case LoaderState::EraseAdr:
            return "   ERASE BEGIN   ";
        case LoaderState::InvalidFlash:
            return " INVALID FLASH   ";
        case LoaderState::Erasing: {
            char text[40];
            std::snprintf(text, sizeof text, "   ERASING - %d   ", sectorsErased);
            return std::string(text);
        }
        case LoaderState::SendCold:
        case LoaderState::WaitCold:
        case LoaderState::SendRec:
        case LoaderState::WaitRec:
        case LoaderState::Prog:
        case LoaderState::Debug1:
        case LoaderState::Debug2:
            return "   PROGRAMMING   ";
        case LoaderState::WriteFail:
            return "ROM WRITE FAIL   ";
        case LoaderState::FileDone:
            return "  COMMUNICATING  ";
        case LoaderState::SendEnd:
        case LoaderState::EndChecksum:
        case LoaderState::EndSize:
            return "     FINISHING   ";
        case LoaderState::AllDone:
            return "     COMPLETED   ";
        case LoaderState::SystemFailure:
            return "SYSTEM FAILURE   ";
        case LoaderState::RecNum1:
        case LoaderState::RecNum2:
        case LoaderState::RecNum3:
        case LoaderState::RecNum4:
            break;
    }
    return std::nullopt;
}
