#pragma once

#include <array>
#include <string>

// The receiver: identification results, port and speed, the chosen image paths and
// the mode flags of an upload. There is one, `theUnit`, built before any window.
class CGpsUnit {
  public:
    // Sizes of the fixed texts; longer values are cut to these many characters.
    static constexpr std::size_t kPathLength = 255;
    static constexpr std::size_t kHeaderLength = 127;
    static constexpr std::size_t kUnitNameLength = 19;

    // Defaults, then "orvane.cfg" from the working directory.
    CGpsUnit();
    ~CGpsUnit();
    CGpsUnit(const CGpsUnit&) = delete;
    CGpsUnit& operator=(const CGpsUnit&) = delete;

    // Back to the state of program start: defaults, then "orvane.cfg".
    void ResetForStart();

    int family = 0;  // upload family: 0 none, 1 not supported, 2, 5, 6, 15
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
    std::array<char, 256> lineBuf{};
    int lineLen = 0;

  private:
    void SetDefaults();
    void LoadSettingsFile();
};

extern CGpsUnit theUnit;
