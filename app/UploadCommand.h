#pragma once

#include <functional>
#include <memory>

#include "app/UploadDriver.h"

class CGpsUnit;
struct ValidationContext;
namespace ui {
class Application;
}

// The Upload command: identifies the receiver (or trusts the expert setup), runs the
// driver of its family and the passes that follow it. The automatic upload and the map
// continuation run it too. What it shows belongs to the shell's main window.
class UploadCommand {
  public:
    using DriverFactory = std::function<std::unique_ptr<UploadDriver>(int family)>;

    UploadCommand(CGpsUnit& unit, ui::Application& shell) : unit_(unit), shell_(shell) {}

    void OnUpload();
    // The automatic upload of what "orvane.ini" named, run once at start; imageCheck is
    // for the question that names the version about to be loaded.
    void AutoUpload(const ValidationContext& imageCheck);
    // After a family-5 code upload: identifies the receiver again and uploads the map.
    void ContinueMapUpload();

    // Makes the driver of a family; the program puts its drivers here, tests their own.
    DriverFactory driverFactory;
    // The running driver of each family while its sequence lasts.
    std::unique_ptr<UploadDriver> databaseUpload;  // family 2
    std::unique_ptr<UploadDriver> mapUpload4;      // family 5
    std::unique_ptr<UploadDriver> mapUpload3;      // family 6
    std::unique_ptr<UploadDriver> poiUpload;       // family 15

  private:
    // Shows an outcome: owned by the main window, OK button, information icon.
    void Inform(const char* text, const char* caption);
    void SetStatusText(const std::string& text);
    // Scans for a receiver and names it in the status bar; false when the scan was
    // cancelled or the receiver is not supported.
    bool ConnectToReceiver();
    std::unique_ptr<UploadDriver>& DriverSlot(int family);
    // Makes the family's driver in its slot; true when it is ready and its run ended with OK.
    bool RunDriver(int family);
    void RunSimpleSequence(int family);
    void RunFamily5Sequence();
    void RunFamily2Sequence();

    CGpsUnit& unit_;
    ui::Application& shell_;
};
