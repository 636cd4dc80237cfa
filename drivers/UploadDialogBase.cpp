#include "drivers/UploadDialogBase.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>

#include "COMLINK/CommLink.h"
#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "dialogs/CUploadFileDlg.h"
#include "image/ImageReader.h"
#include "loader/CProtocolDlg.h"
#include "loader/LoaderTrace.h"
#include "platform/Clock.h"
#include "res/Resource.h"
#include "ui/Application.h"
#include "ui/Backend.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBox.h"
#include "ui/Runtime.h"

UploadDialogBase::UploadDialogBase(const ProgressLook& look)
    : ui::Dialog(look.dialogTemplate(), theApp.mainWindow), look_(look) {}

UploadDialogBase::~UploadDialogBase() {
    ReleaseUpload();
}

int UploadDialogBase::RunModal() {
    const int result = DoModal();
    StopWatchingInput();
    return result;
}

void UploadDialogBase::ReleaseUpload() {
    StopWatchingInput();
    if (engine) {
        engine->CloseTrace();
        engine.reset();
    }
    theUnit.Close();
}

bool UploadDialogBase::OnInitDialog() {
    if (ready) {
        SetProgressRange(look_.progressId, 0, 100);
        progress = 0;
        percentText = "0%";
        SetTimer(kUploadTimer, kUploadTickMs);
        WatchInput();
    }
    return ui::Dialog::OnInitDialog();
}

void UploadDialogBase::DoDataExchange(ui::DataExchange& dx) {
    dx.Progress(look_.progressId, progress);
    dx.Text(look_.percentId, percentText);
    dx.Text(look_.statusId, statusText);
    dx.Text(look_.currentFileId, currentFileText);
}

void UploadDialogBase::OnTimer(int id) {
    if (id != kUploadTimer || reportShown_)
        return;
    if (engine) {
        StepEngine();
        if (reportShown_)
            return;
    }
    Refresh();
}

void UploadDialogBase::Refresh() {
    if (engine) {
        engine->StatusText(statusText);
        ShowPercentage();
    }
    UpdateData(false);
}

void UploadDialogBase::StepEngine() {
    RunBurst();
    if (engine->state == LoaderState::SystemFailure) {
        // The engine stopped without the end record (the image could not be read to
        // its end, or the receiver stopped taking records): never a completed upload.
        ReportStoppedRun();
        return;
    }
    if (awaitingReport_) {
        CheckEndReport();
    } else if (engine->state == LoaderState::FileDone && !completed_) {
        bytesSentInRun_ += engine->bytesSent;
        OnFileDone();
    }
}

void UploadDialogBase::WatchInput() {
    const platform::Waitable input =
        theUnit.link ? theUnit.link->InputSource() : platform::Waitable{};
    if (!input.Valid() || !ui::Runtime::Get().HasBackend())
        return;
    watchedInput_ = input;
    ui::Runtime::Get().UseBackend().WatchInput(input, [this] { OnInput(); });
}

void UploadDialogBase::StopWatchingInput() {
    if (!watchedInput_.Valid())
        return;
    if (ui::Runtime::Get().HasBackend())
        ui::Runtime::Get().UseBackend().UnwatchInput(watchedInput_);
    watchedInput_ = {};
}

void UploadDialogBase::OnInput() {
    if (!engine || IsEnding() || reportShown_ || completed_)
        return;
    StepEngine();
    // No tick comes after the run has ended here: its last state is shown now.
    if (IsEnding() && !reportShown_)
        Refresh();
}

void UploadDialogBase::RunBurst() {
    // After the end report the engine would start over; it is not stepped past it.
    if (engine->state == LoaderState::AllDone || completed_)
        return;
    while (engine->Step() && engine->state != LoaderState::AllDone) {
    }
}

void UploadDialogBase::FinishRun() {
    engine->Finish();
    if (!recordNumbered_) {
        CloseCompleted();
        return;
    }
    // The receiver's end report tells whether it has every record: the dialog stays
    // open until it has been read.
    awaitingReport_ = true;
    reportWaitStartMs_ = platform::GetClock().MonotonicMs();
}

void UploadDialogBase::CheckEndReport() {
    if (engine->state == LoaderState::AllDone) {
        char text[96];
        if (engine->receivedSize != bytesSentInRun_) {
            std::snprintf(text, sizeof text, "Sent %ld bytes\nUnit received %ld",
                          static_cast<long>(bytesSentInRun_),
                          static_cast<long>(engine->receivedSize));
            ReportFailedRun(text, "SIZE ERROR");
            return;
        }
        if (!ReportedChecksumBad())
            CloseCompleted();
        return;
    }
    if (platform::GetClock().MonotonicMs() - reportWaitStartMs_ < kEndReportWaitMs)
        return;
    // A checksum that came without the size still tells of a damaged run.
    if (ReportedChecksumBad())
        return;
    // Receivers that send no report exist; the run counts as complete, as it always did,
    // but the trace says so.
    engine->CloseTrace();
    if (std::FILE* trace = std::fopen(LoaderTrace::kFileName, "a")) {
        std::fprintf(trace, "END REPORT - none after %lu ms, taken as complete\n",
                     static_cast<unsigned long>(kEndReportWaitMs));
        std::fclose(trace);
    }
    CloseCompleted();
}

bool UploadDialogBase::ReportedChecksumBad() {
    if (engine->endChecksum == 0)
        return false;
    char text[48];
    std::snprintf(text, sizeof text, "Non-zero checksum %04x",
                  static_cast<unsigned>(engine->endChecksum));
    ReportFailedRun(text, "CHECKSUM ERROR");
    return true;
}

void UploadDialogBase::CloseCompleted() {
    awaitingReport_ = false;
    completed_ = true;
    UpdateData(true);
    EndDialog(ui::IDOK);
}

void UploadDialogBase::ReportStoppedRun() {
    Refresh();
    std::string text = "UPLOAD HAS NOT COMPLETED!";
    if (!engine->StopReason().empty())
        text += "\n" + engine->StopReason();
    ReportFailedRun(text, "ERROR");
}

void UploadDialogBase::ReportFailedRun(const std::string& text, const char* caption) {
    // The box would otherwise see ticks of this dialog while it waits.
    reportShown_ = true;
    KillTimer(kUploadTimer);
    awaitingReport_ = false;
    ui::MessageBox(theApp.mainWindow, text, caption, ui::MB_OK | ui::MB_ICONSTOP);
    EndDialog(ui::IDCANCEL);
}

int UploadDialogBase::Percentage() const {
    if (!engine || progressDivisor <= 0)
        return 0;
    const double value =
        static_cast<double>(engine->bytesSent) / static_cast<double>(progressDivisor) * 100.0 + 0.5;
    const int percent = static_cast<int>(std::clamp(value, 0.0, static_cast<double>(INT_MAX)));
    return completed_ ? percent : std::min(percent, look_.percentCap);
}

void UploadDialogBase::ShowPercentage() {
    progress = Percentage();
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", progress);
    percentText = text;
}

void UploadDialogBase::OnCancel() {
    const int answer = ui::MessageBox(this,
                                      "UPLOAD HAS NOT COMPLETED!\nTHIS COULD CAUSE FAILURE OF THE "
                                      "UNIT\n\nClick OK to stop upload",
                                      "WARNING", ui::MB_OKCANCEL | ui::MB_ICONEXCLAMATION);
    if (answer != ui::IDOK)
        return;
    EndDialog(ui::IDCANCEL);
    if (look_.cancelEndsAutoRun)
        theUnit.autoUpload = 0;
}

std::uint32_t UploadDialogBase::CodeEraseEnd(const ImageReader& reader) {
    const std::uint64_t byRule = std::uint64_t{reader.endAddress} + kCodeEraseBase;
    std::uint64_t end = byRule;
    // A binary image is written from the load address on, 16 KiB past the erase end of
    // the rule: the erase must reach its last byte (and the pad byte of an odd size).
    if (!reader.isSRecord && reader.size > 0) {
        const std::uint64_t padded = (std::uint64_t{reader.size} + 1) / 2 * 2;
        end = std::max(end, kCodeLoadAddress + padded - 1);
    }
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(end, UINT32_MAX));
}

UploadDialogBase::FileAnswer UploadDialogBase::ConfirmFile(std::string& path,
                                                           const FilePicker& changePicker) {
    CUploadFileDlg dialog;
    dialog.fileName = path;
    const int answer = dialog.DoModal();
    if (answer == ui::IDCANCEL)
        return FileAnswer::Cancelled;
    if (answer != CUploadFileDlg::kChangeFile)
        return FileAnswer::Send;
    std::optional<std::string> chosen = changePicker.Ask();
    if (!chosen)
        return FileAnswer::ChangeCancelled;
    path = *chosen;
    return FileAnswer::Send;
}

bool UploadDialogBase::OpenImage(ImageReader& reader, const std::string& path,
                                 const char* errorText) {
    if (reader.Open(path))
        return true;
    ShowError(errorText);
    return false;
}

bool UploadDialogBase::ImageFits(ImageReader& reader, std::uint32_t load, std::uint32_t eraseEnd) {
    if (reader.Fits(load, eraseEnd))
        return true;
    ShowError(reader.problem.c_str());
    return false;
}

void UploadDialogBase::ShowError(const char* text) {
    ui::MessageBox(theApp.mainWindow, text, "ERROR", ui::MB_OK | ui::MB_ICONINFORMATION);
}

void UploadDialogBase::RefusePackage() {
    ui::MessageBox(theApp.mainWindow, "Incorrect upload package for unit", "ERROR",
                   ui::MB_OK | ui::MB_ICONSTOP);
    ui::PostQuitMessage(0);
}

void UploadDialogBase::SendLoadCommand(const char* sentence) {
    theUnit.SendSentence(sentence);
    theUnit.SendSentence(sentence);
    theUnit.Settle();
}

bool UploadDialogBase::DetermineProtocol() {
    rememberedBaud = theUnit.baud;
    CProtocolDlg dialog;
    if (dialog.DoModal() == ui::IDOK)
        return true;
    theUnit.Reopen(theUnit.comIndex, rememberedBaud, true);
    return false;
}

void UploadDialogBase::CreateEngine(ImageReader& reader, std::uint8_t recordNumbered,
                                    std::uint32_t load, std::uint32_t eraseEnd,
                                    std::uint8_t addressCheck) {
    engine = std::make_unique<FlashLoader>(LoaderTarget{
        .uploadFamily = theUnit.family, .bootReloadPass = theUnit.bootReloadPass != 0});
    engine->Create(&reader, theUnit.link.get(), recordNumbered, load, eraseEnd, addressCheck);
    recordNumbered_ = recordNumbered != 0;
    engine->StatusText(statusText);
}
