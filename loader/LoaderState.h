#pragma once

// The states of the flash loader engine. The numbers are the upload status codes that
// the drivers and the status texts go by.
enum class LoaderState : int {
    NoPort = 0,
    Reset = 1,
    NoConnect = 2,
    Hand = 3,
    EraseCmd = 4,
    InvalidFlash = 5,
    EraseAdr = 6,
    Erasing = 7,
    SendCold = 8,
    WaitCold = 9,
    SendRec = 10,
    WaitRec = 11,
    Prog = 12,
    WriteFail = 13,
    FileDone = 14,
    SendEnd = 15,
    EndChecksum = 16,
    EndSize = 17,
    AllDone = 18,
    SystemFailure = 19,  // the engine stopped: image unreadable, port gone, record lost
    Debug1 = 20,
    Debug2 = 21,
    RecNum1 = 22,
    RecNum2 = 23,
    RecNum3 = 24,
    RecNum4 = 25,
};
