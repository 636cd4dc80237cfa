#include "drivers/UploadDialogBase.h"

#include <cstdio>
#include <utility>

#include "COMLINK/CommLink.h"
#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "loader/CProtocolDlg.h"
#include "res/Resource.h"
#include "ui/Application.h"
#include "ui/Backend.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBox.h"
#include "ui/Runtime.h"

UploadDialogBase::UploadDialogBase(const ProgressLook& look, CUploaderApp& app)
    : ui::Dialog(look.dialogTemplate(), app.mainWindow), UploadPreparation(app), look_(look) {}

UploadDialogBase::~UploadDialogBase() {
    ReleaseUpload();
}

int UploadDialogBase::RunModal() {
    const int result = DoModal();
    StopWatchingInput();
    if (run && result != ui::IDOK)
        run->Cancel();
    return result;
}

void UploadDialogBase::ReleaseUpload() {
    StopWatchingInput();
    if (run) {
        run->Engine().CloseTrace();
        run.reset();
    }
    unit_.Close();
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
    if (run) {
        Advance();
        if (reportShown_)
            return;
    }
    Refresh();
}

void UploadDialogBase::Advance() {
    run->Tick();
    if (run->CurrentIndex() != shownImage_) {
        shownImage_ = run->CurrentIndex();
        currentFileText = run->CurrentImage().label;
    }
    ShowOutcome();
}

void UploadDialogBase::Refresh() {
    if (run) {
        run->Engine().StatusText(statusText);
        progress = run->Percentage(look_.percentCap);
        char text[16];
        std::snprintf(text, sizeof text, "%d%%", progress);
        percentText = text;
    }
    UpdateData(false);
}

void UploadDialogBase::WatchInput() {
    const platform::Waitable input =
        unit_.link ? unit_.link->InputSource() : platform::Waitable{};
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
    if (!run || IsEnding() || reportShown_ || completed_)
        return;
    Advance();
    // No tick comes after the run has ended here: its last state is shown now.
    if (IsEnding() && !reportShown_)
        Refresh();
}

void UploadDialogBase::ShowOutcome() {
    switch (run->Result()) {
        case UploadRun::Outcome::Complete:
            if (completed_)
                return;
            completed_ = true;
            UpdateData(true);
            EndDialog(ui::IDOK);
            return;
        case UploadRun::Outcome::Failed:
            break;
        default:
            return;
    }
    if (reportShown_)
        return;
    switch (run->FailureKind()) {
        case UploadRun::Failure::SizeError:
            ReportFailedRun(run->FailureText(), "SIZE ERROR");
            return;
        case UploadRun::Failure::ChecksumError:
            ReportFailedRun(run->FailureText(), "CHECKSUM ERROR");
            return;
        default: {
            Refresh();
            std::string text = "UPLOAD HAS NOT COMPLETED!";
            if (!run->FailureText().empty())
                text += "\n" + run->FailureText();
            ReportFailedRun(text, "ERROR");
            return;
        }
    }
}

void UploadDialogBase::ReportFailedRun(const std::string& text, const char* caption) {
    // The box would otherwise see ticks of this dialog while it waits.
    reportShown_ = true;
    KillTimer(kUploadTimer);
    ui::MessageBox(app_.mainWindow, text, caption, ui::MB_OK | ui::MB_ICONSTOP);
    EndDialog(ui::IDCANCEL);
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
        unit_.autoUpload = 0;
}

bool UploadDialogBase::DetermineProtocol() {
    rememberedBaud = unit_.baud;
    CProtocolDlg dialog(unit_, app_.baudChosenByUser != 0, unit_.autoUpload);
    if (dialog.DoModal() == ui::IDOK)
        return true;
    unit_.Reopen(unit_.comIndex, rememberedBaud, true);
    return false;
}

void UploadDialogBase::CreateRun(const UploadRun::Settings& settings,
                                 std::vector<UploadRun::Image> images) {
    run = std::make_unique<UploadRun>(settings, unit_.link.get(), std::move(images));
    shownImage_ = 0;
    currentFileText = run->CurrentImage().label;
    run->Engine().StatusText(statusText);
}
