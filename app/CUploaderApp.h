#pragma once

#include <string>

#include "ui/Application.h"

class ImageReader;

// The application object: start-up, and the state the upload commands share.
class CUploaderApp : public ui::Application {
  public:
    static constexpr std::size_t kMapTextLength = 39;

    bool InitInstance() override;
    // Reads "orvane.ini"; true when an automatic upload is to run.
    bool LoadAutoUploadSettings();
    // Writes "orvane.cfg" from the receiver's family, port and speed.
    void SaveSettings();

    // Asks before program code overwrites the receiver's firmware; true to proceed.
    // `reader` is the caller's open code image, or none to open codePath.
    bool ConfirmFirmwareOverwrite(ImageReader* reader);
    // Fills the four map texts from the receiver's map header and the chosen map image.
    void ReadMapInfo();

    int manualMode = 1;
    int baudChosenByUser = 0;
    int autoUnitType = 1;
    std::string unitMapName;
    std::string imageMapName;
    std::string unitMapVersion;
    std::string imageMapVersion;

    // The framework's registry key; the program stores nothing there.
    std::string registryKey;

  private:
    // The main window and the automatic upload belong to the main window's code;
    // start-up calls them at the moments they are due.
    void CreateMainFrame();
    void AutoUpload();
};

extern CUploaderApp theApp;
