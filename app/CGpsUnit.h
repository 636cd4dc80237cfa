#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

class CommLink;
class LineSettings;
class Win32CommPort;

// The receiver: identification results, port and speed, the chosen image paths and
// the mode flags of an upload. There is one, `theUnit`, built before any window.
// It is also the command channel: the one text conversation with a running receiver.
class CGpsUnit {
  public:
    // Sizes of the fixed texts; longer values are cut to these many characters, but for a
    // path, which is refused instead (ImagePath): cut, it could name another file.
    static constexpr std::size_t kPathLength = 255;
    static constexpr std::size_t kHeaderLength = 127;
    static constexpr std::size_t kUnitNameLength = 19;

    // Defaults, then "orvane.cfg" from the working directory.
    CGpsUnit();
    ~CGpsUnit();
    CGpsUnit(const CGpsUnit&) = delete;
    CGpsUnit& operator=(const CGpsUnit&) = delete;

    // Back to the state of program start: channel closed, defaults, then "orvane.cfg".
    void ResetForStart();
    // Before a receiver is identified: closes the channel and forgets what an earlier
    // receiver said (family, model, versions, memory, headers, a half-read line), so
    // that only this receiver's replies can end the scan and the header wait.
    void ForgetReceiver();

    // The command channel. Open and Reopen report through isOpen and openFailed; with
    // showErrors a failure also shows "COULD NOT OPEN COM PORT".
    void Open(int comIndex, int baud, bool showErrors);
    void Close();
    // Keeps a channel that is open on this port at this speed; otherwise opens anew.
    void Reopen(int comIndex, int baud, bool showErrors);
    // Sends "$PXRV" + text + checksum + CR LF. Nothing is sent while the channel is closed.
    void SendSentence(std::string_view text);
    // After an upload command: pushes out what was sent and gives the receiver about two
    // seconds to change into its loader.
    void Settle();
    // Takes every byte waiting, assembling and interpreting reply lines; true when a line
    // of this call was a recognised sentence.
    bool PollReplies();
    // Takes waiting bytes until the loader's first byte (0xAA or 0x77): true; false once
    // nothing is waiting. Only on an open channel.
    bool WaitLoaderByte();
    // Checks and interprets the line in lineBuf; always empties it.
    bool ParseLine();
    // Switches the identification to the model of unit type 6 and shows its name.
    void UseUnitType6();

    std::unique_ptr<CommLink> link;  // link of the open channel
    int family = 0;                  // upload family: 0 none, 1 not supported, 2, 5, 6, 15
    int unitType = 0;
    int baud = 4800;  // bit/s; 0 = automatic
    int fwMajor = 0;
    int fwMinor = 0;
    int comIndex = 0;  // 0 = COM1
    std::array<int, 3> memInfo{};
    std::string unitName;
    std::string productCode;
    unsigned char askMapHeader = 0;
    unsigned char askPoiHeader = 0;
    unsigned char bootReloadPass = 0;
    unsigned char expertMode = 0;
    int isOpen = 0;
    int openFailed = 0;
    int autoUpload = 0;
    int autoFirstPass = 1;
    std::string dataPath;
    std::string codePath;
    std::string poiHeader;
    std::string mapHeader;
    std::string autoMapName;
    int codeChosen = 0;
    int dataChosen = 0;
    int databaseType = 0;
    std::unique_ptr<Win32CommPort> port;         // port of the open channel
    std::unique_ptr<LineSettings> lineSettings;  // line settings of the open channel
    std::array<char, 256> lineBuf{};
    int lineLen = 0;
    // Why "orvane.cfg" was not read, for start-up to show once there is a window; empty
    // when it was read or is missing.
    std::string settingsRefusal;

  private:
    void SetDefaults();
    void ClearIdentification();
    void LoadSettingsFile();
};

extern CGpsUnit theUnit;
