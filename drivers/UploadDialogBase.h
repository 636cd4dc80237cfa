#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/UploadDriver.h"
#include "drivers/UploadPreparation.h"
#include "loader/UploadRun.h"
#include "platform/Waitable.h"
#include "ui/Dialog.h"

// How a family's progress dialog looks and behaves while it runs.
struct ProgressLook {
    const ui::DialogTemplate& (*dialogTemplate)();
    int currentFileId;
    int progressId;
    int statusId;
    int percentId;
    // The highest percentage shown while the upload runs; the map drivers stop at 99 so
    // that the bar does not show 100 before the receiver has everything.
    int percentCap;
    // Confirming the Cancel warning also ends an automatic upload.
    bool cancelEndsAutoRun;
};

// The progress dialog every upload driver shares: a view of its upload run. Construction
// (in the family's class) prepares the upload and creates the run, or leaves the ready
// flag clear; the modal run ticks the run from a 100 ms timer and from input on the port,
// shows the engine's status, the current image and its percentage, and closes with OK
// once the run is complete, or with Cancel after telling why it failed or when the user
// stops it. Destruction releases the run with its trace and closes the port.
class UploadDialogBase : public ui::Dialog, public UploadDriver, protected UploadPreparation {
  public:
    static constexpr unsigned kUploadTickMs = UploadRun::kTickMs;

    UploadDialogBase(const ProgressLook& look, CUploaderApp& app);
    ~UploadDialogBase() override;

    // UploadDriver
    bool IsReady() const override { return ready != 0; }
    int RunModal() override;
    int UploadKind() const override { return uploadKind; }
    void SetUploadKind(int kind) override { uploadKind = kind; }

    bool OnInitDialog() override;
    void OnTimer(int id) override;
    // Asks first; the upload goes on while the question is open.
    void OnCancel() override;
    // Enter must not count as a completed upload.
    void OnOK() override {}
    void DoDataExchange(ui::DataExchange& dx) override;

    using UploadPreparation::CodeEraseEnd;

    int progress = 0;
    std::string percentText;
    std::string statusText;
    std::string currentFileText;
    int ready = 0;
    int uploadKind = 0;
    std::unique_ptr<UploadRun> run;
    int rememberedBaud = 0;

  protected:
    // Finds the loader's speed; on cancel the port goes back to the speed it had.
    bool DetermineProtocol();
    // The run of these images on the command channel's link.
    void CreateRun(const UploadRun::Settings& settings, std::vector<UploadRun::Image> images);
    // Releases the run (with its trace) and closes the port; the family's class
    // releases its readers before.
    void ReleaseUpload();

  private:
    // A tick or input: the run's turn, then what it asks the view to show.
    void Advance();
    void WatchInput();
    void StopWatchingInput();
    void OnInput();
    // Status, current image, percentage and texts to the screen.
    void Refresh();
    // How the run ended, once: a completed run closes the dialog with OK; a failed one
    // tells why and closes it with Cancel.
    void ShowOutcome();
    void ReportFailedRun(const std::string& text, const char* caption);

    const ProgressLook& look_;
    bool completed_ = false;
    bool reportShown_ = false;
    std::size_t shownImage_ = 0;
    platform::Waitable watchedInput_;
};
