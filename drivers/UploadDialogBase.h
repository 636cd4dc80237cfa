#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/UploadDriver.h"
#include "drivers/FilePicker.h"
#include "loader/FlashLoader.h"
#include "platform/Waitable.h"
#include "ui/Dialog.h"

class ImageReader;

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

// The life cycle every upload driver shares. Construction (in the family's class)
// prepares the upload and leaves the ready flag; the modal run steps the flash loader
// engine from a 100 ms timer, shows status and percentage, and closes with OK once the
// receiver has the whole run, or with Cancel when the user stops it. Destruction
// releases the engine with its trace and closes the port.
class UploadDialogBase : public ui::Dialog, public UploadDriver {
  public:
    static constexpr unsigned kUploadTickMs = 100;
    // After the end record of a record-numbered run the receiver reports its checksum
    // and the bytes it received; a report that has not come after this long is taken
    // as a good one.
    static constexpr std::uint64_t kEndReportWaitMs = 10000;
    // Program code of the S-record families.
    static constexpr std::uint32_t kCodeLoadAddress = 0x2D004000;
    static constexpr std::uint32_t kCodeEraseBase = 0x2D000000;

    explicit UploadDialogBase(const ProgressLook& look);
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

    // The percentage of the current file the engine has sent, rounded; the cap is
    // applied while the upload runs.
    int Percentage() const;
    // The last byte a program-code image is written to, at the least the erase end.
    static std::uint32_t CodeEraseEnd(const ImageReader& reader);

    int progress = 0;
    std::string percentText;
    std::string statusText;
    std::string currentFileText;
    int ready = 0;
    int uploadKind = 0;
    std::unique_ptr<FlashLoader> engine;
    int rememberedBaud = 0;
    std::int64_t progressDivisor = 0;

  protected:
    enum class FileAnswer { Send, Cancelled, ChangeCancelled };
    // The upload-file dialog for path; "Change file" lets the user pick another file,
    // which replaces path.
    static FileAnswer ConfirmFile(std::string& path, const FilePicker& changePicker);
    // Opens the image; a file that cannot be opened shows errorText.
    static bool OpenImage(ImageReader& reader, const std::string& path, const char* errorText);
    // Before anything is sent: the image holds data, all of it inside the range erased
    // for it (from load to eraseEnd); otherwise the user is told why.
    static bool ImageFits(ImageReader& reader, std::uint32_t load, std::uint32_t eraseEnd);
    static void ShowError(const char* text);
    // Shows "Incorrect upload package for unit" and ends the program.
    static void RefusePackage();
    // The command that switches the receiver into its loader, sent twice, then the pause.
    static void SendLoadCommand(const char* sentence);
    // Finds the loader's speed; on cancel the port goes back to the speed it had.
    bool DetermineProtocol();
    void CreateEngine(ImageReader& reader, std::uint8_t recordNumbered, std::uint32_t load,
                      std::uint32_t eraseEnd, std::uint8_t addressCheck);

    // The engine has sent the current file. By default it is the last one: FinishRun.
    virtual void OnFileDone() { FinishRun(); }
    // Sends the end record; closes with OK, or waits for the end report of a
    // record-numbered run.
    void FinishRun();
    // Releases the engine (with its trace) and closes the port; the family's class
    // releases its readers before.
    void ReleaseUpload();

  private:
    // The engine's share of a tick: a burst of steps and what the state asks for.
    void StepEngine();
    // Input on the port steps the engine at once, so a record follows its acknowledge
    // without waiting for the tick; the tick keeps the timeouts and the screen.
    void WatchInput();
    void StopWatchingInput();
    void OnInput();
    // Status, percentage and texts to the screen.
    void Refresh();
    void RunBurst();
    void CheckEndReport();
    // Shows the checksum error when the receiver's end checksum is not zero.
    bool ReportedChecksumBad();
    void CloseCompleted();
    void ReportStoppedRun();
    void ReportFailedRun(const std::string& text, const char* caption);
    void ShowPercentage();

    const ProgressLook& look_;
    bool recordNumbered_ = false;
    bool awaitingReport_ = false;
    bool completed_ = false;
    bool reportShown_ = false;
    std::uint64_t reportWaitStartMs_ = 0;
    // Bytes of the run's files the engine has sent, up to the last FILE DONE.
    std::uint32_t bytesSentInRun_ = 0;
    platform::Waitable watchedInput_;
};
