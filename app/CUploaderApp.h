#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/UploadCommand.h"
#include "image/ValidationContext.h"
#include "ui/Application.h"

class CGpsUnit;
class CMainFrame;
class ImageReader;

// The application object: start-up, and the state the upload commands share. It works
// on the receiver it is given, and shows what the receiver's command channel reports.
class CUploaderApp : public ui::Application {
  public:
    static constexpr std::size_t kMapTextLength = 39;

    explicit CUploaderApp(CGpsUnit& receiver);
    ~CUploaderApp() override;
    CUploaderApp(const CUploaderApp&) = delete;
    CUploaderApp& operator=(const CUploaderApp&) = delete;

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

    // The Upload command (UploadCommand).
    void OnUpload() { upload.OnUpload(); }
    // The automatic upload of what "orvane.ini" named, run once at start.
    void AutoUpload() { upload.AutoUpload(ImageCheck()); }

    // The main window, or none before InitInstance.
    CMainFrame* MainFrame() const { return mainFrame_.get(); }
    // Sets the status bar's message pane.
    void SetStatusText(const std::string& text);
    // What checking an image needs of the identified receiver and the mode, and the
    // firmware warning that asks the user.
    ValidationContext ImageCheck() const;

    // The receiver.
    CGpsUnit& unit;
    // The Upload command with its driver factory and the running driver.
    UploadCommand upload;

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
    void CreateMainFrame();
    // What the receiver's command channel reports: the status bar and the box.
    void ShowOpenFailure(const std::string& reason, bool showBox);
    // Shows an outcome: owned by the main window, OK button, information icon.
    void Inform(const char* text, const char* caption);

    std::unique_ptr<CMainFrame> mainFrame_;
};
