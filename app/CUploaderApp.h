#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/UploadDriver.h"
#include "command/ChannelEvents.h"
#include "image/ValidationContext.h"
#include "ui/Application.h"

class CGpsUnit;
class CMainFrame;
class ImageReader;

// The application object: start-up, and the state the upload commands share. It works
// on the receiver it is given, and shows what the receiver's command channel reports.
class CUploaderApp : public ui::Application, public ChannelEvents {
  public:
    static constexpr std::size_t kMapTextLength = 39;

    using DriverFactory = std::function<std::unique_ptr<UploadDriver>(int family)>;

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

    // The Upload command: identifies the receiver (or trusts the expert setup), runs the
    // driver of its family and the passes that follow it.
    void OnUpload();
    // The automatic upload of what "orvane.ini" named, run once at start.
    void AutoUpload();
    // After a family-5 code upload: identifies the receiver again and uploads the map.
    void ContinueMapUpload();

    // The main window, or none before InitInstance.
    CMainFrame* MainFrame() const { return mainFrame_.get(); }
    // Sets the status bar's message pane.
    void SetStatusText(const std::string& text);
    // What checking an image needs of the identified receiver and the mode, and the
    // firmware warning that asks the user.
    ValidationContext ImageCheck() const;

    // ChannelEvents: the status bar and the open failure box.
    void OpenFailed(const std::string& reason, bool showBox) override;
    void ModelChanged(const std::string& unitName) override;
    bool SpeedChosenByUser() const override { return baudChosenByUser != 0; }

    // The receiver.
    CGpsUnit& unit;
    // Makes the driver of a family (by default the program's own); tests put their own
    // drivers here.
    DriverFactory driverFactory;
    // The running driver of each family while its sequence lasts.
    std::unique_ptr<UploadDriver> databaseUpload;  // family 2
    std::unique_ptr<UploadDriver> mapUpload4;      // family 5
    std::unique_ptr<UploadDriver> mapUpload3;      // family 6
    std::unique_ptr<UploadDriver> poiUpload;       // family 15

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
    // Shows an outcome: owned by the main window, OK button, information icon.
    void Inform(const char* text, const char* caption);
    // Scans for a receiver and names it in the status bar; false when the scan was
    // cancelled or the receiver is not supported.
    bool ConnectToReceiver();
    std::unique_ptr<UploadDriver>& DriverSlot(int family);
    // Makes the family's driver in its slot; true when it is ready and its run ended with OK.
    bool RunDriver(int family);
    void RunSimpleSequence(int family);
    void RunFamily5Sequence();
    void RunFamily2Sequence();

    std::unique_ptr<CMainFrame> mainFrame_;
};
