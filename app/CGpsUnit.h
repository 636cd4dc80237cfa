#pragma once

#include <cstddef>
#include <string>

#include "command/CommandChannel.h"
#include "command/ReceiverIdentity.h"

// The receiver: what it said about itself (ReceiverIdentity), the command channel to it
// with its port and speed (CommandChannel), the chosen image paths and the mode flags of
// an upload. The program has one, built before any window; whoever needs it is handed it.
//
// It is both pieces rather than holding them, so that the names the program and its
// documents use (unit.family, unit.comIndex, unit.SendSentence) stay what they are.
class CGpsUnit : public ReceiverIdentity, public CommandChannel {
  public:
    // Paths of this many characters at most; a longer one is refused instead of cut
    // (ImagePath): cut, it could name another file.
    static constexpr std::size_t kPathLength = 255;

    // Defaults, then "orvane.cfg" from the working directory.
    CGpsUnit();
    CGpsUnit(const CGpsUnit&) = delete;
    CGpsUnit& operator=(const CGpsUnit&) = delete;

    // Back to the state of program start: channel closed, defaults, then "orvane.cfg".
    void ResetForStart();
    // Before a receiver is identified: closes the channel and forgets what an earlier
    // receiver said (family, model, versions, memory, headers, a half-read line), so
    // that only this receiver's replies can end the scan and the header wait.
    void ForgetReceiver();

    unsigned char bootReloadPass = 0;
    unsigned char expertMode = 0;
    int autoUpload = 0;
    int autoFirstPass = 1;
    std::string dataPath;
    std::string codePath;
    std::string autoMapName;
    int codeChosen = 0;
    int dataChosen = 0;
    int databaseType = 0;
    // Why "orvane.cfg" was not read, for start-up to show once there is a window; empty
    // when it was read or is missing.
    std::string settingsRefusal;

  private:
    void SetDefaults();
    void ClearIdentification();
    void LoadSettingsFile();
};
