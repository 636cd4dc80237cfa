#include "program/OneShotUpload.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/CGpsUnit.h"
#include "app/CMainFrame.h"
#include "app/CUploaderApp.h"
#include "command/CConnectDlg.h"
#include "dialogs/CExpertSetupDlg.h"
#include "dialogs/CFirmwareWarningDlg.h"
#include "drivers/UploadDialogBase.h"
#include "image/ImageReader.h"
#include "loader/LoaderTrace.h"
#include "platform/ComPortNames.h"
#include "res/ExpertSetupTemplate.h"
#include "res/Resource.h"
#include "ui/MessageBoxFlags.h"
#include "ui/Runtime.h"
#include "ui/policy/PolicyBackend.h"
#include "ui/terminal/ChoiceName.h"

namespace {

void PrintLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// A box's text on one line.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

// The choices of the select-type dialogs that the files and --kind make.
std::vector<std::string> KindChoices(const OneShotOptions& options) {
    const bool code = !options.codeFile.empty();
    const std::string& kind = options.kind;
    if (kind.empty())
        return {"Program code", "Program Code Only"};
    if (kind == "database")
        return {code ? "Program code and Database" : "Database"};
    if (kind == "map" || kind == "base-map")
        return {code ? "Program Code and Base Map" : "Base Map Only"};
    if (code)
        return {};  // no family loads program code with POIs or a detail map in one run
    if (kind == "poi")
        return {"POI Database"};
    return {"Detail Map Only", "Program Detail Map Only"};
}

std::string OptionFor(const std::string& caption) {
    if (caption.find("select upload type") != std::string::npos)
        return "--code FILE and/or --data FILE --kind KIND as the receiver offers them";
    if (caption == "WARNING" || caption == "Database" || caption == "Confirm")
        return "--yes";
    return {};
}

}  // namespace

OneShotUpload::OneShotUpload(CUploaderApp& app, const OneShotOptions& options)
    : app_(app), unit_(app.unit), options_(options) {}

std::string OneShotUpload::PortName(int index) const {
    std::string device = platform::ComPortNames::PathOf(index);
    return "COM" + std::to_string(index + 1) + " (" + (device.empty() ? "no device" : device) + ")";
}

void OneShotUpload::Fail(int status, const std::string& line) {
    if (failure_ == kDone)
        failure_ = status;
    PrintLine(line);
}

ui::PolicyAnswers OneShotUpload::Answers() {
    ui::PolicyAnswers answers;
    answers.buttons = KindChoices(options_);
    // The file shown is the one given; a firmware image that does not look right for
    // the receiver is refused, not sent on a --yes.
    answers.buttons.push_back("Upload File");
    answers.buttons.push_back("Abort");
    answers.yes = options_.yes;
    answers.codeFile = options_.codeFile;
    answers.dataFile = options_.dataFile;
    answers.timeoutMs = options_.timeoutMs;
    answers.optionFor = OptionFor;
    answers.dialogShown = [this](const ui::Dialog& dialog, bool opened) {
        // The scan ends itself through its dialog, as its Cancel would.
        auto& shown = const_cast<ui::Dialog&>(dialog);
        scan_.Look(shown, opened);
        // A dialog opened now is a new one, even where the last one was kept in memory.
        if (opened)
            writingDialog_ = nullptr;
        OnDialog(shown);
    };
    answers.boxShown = [this](const std::string& text, const std::string& caption, unsigned flags) {
        OnBox(text, caption, flags);
    };
    answers.statusShown = [this](const std::string& text) { OnStatus(text); };
    return answers;
}

void OneShotUpload::OnStatus(const std::string& text) {
    lastStatus_ = text;
    if (!found_ && unit_.family > 1 && text == unit_.unitName) {
        found_ = true;
        char version[32];
        std::snprintf(version, sizeof version, "%d.%02d", unit_.fwMajor, unit_.fwMinor);
        PrintLine("Found " + unit_.unitName + " " + version + " on " + PortName(unit_.comIndex) +
                  " at " + std::to_string(unit_.baud));
    }
}

void OneShotUpload::OnDialog(ui::Dialog& dialog) {
    if (auto* warning = dynamic_cast<CFirmwareWarningDlg*>(&dialog)) {
        if (failure_ == kDone)
            Fail(kImageRefused, "Image refused: " + warning->upperLine);
        return;
    }
    auto* upload = dynamic_cast<UploadDialogBase*>(&dialog);
    if (upload == nullptr || !upload->run)
        return;
    const UploadRun& run = *upload->run;
    if (writingDialog_ == upload && writingImage_ == run.CurrentIndex())
        return;
    if (!writing_) {
        writing_ = true;
        writingSinceMs_ = ui::Runtime::Get().NowMs();
    }
    writingDialog_ = upload;
    writingImage_ = run.CurrentIndex();
    const UploadRun::Image& image = run.CurrentImage();
    const bool code = image.reader != nullptr && image.reader->fileName == unit_.codePath &&
                      !options_.codeFile.empty();
    std::string what = code ? "code" : options_.kind.empty() ? "data" : options_.kind;
    bytesWritten_ += image.progressSize;
    PrintLine("Writing " + what + ": " + std::to_string(image.progressSize) + " bytes");
}

void OneShotUpload::OnBox(const std::string& text, const std::string& caption, unsigned flags) {
    const std::string line = OneLine(text);
    // "Power on GPS unit ...": the receiver restarts after the part just loaded.
    if (caption.rfind("CONTINUE", 0) == 0)
        scan_.AwaitRestart(ui::Runtime::Get().NowMs());
    if (caption == "STATUS" && text.find("complete") != std::string::npos) {
        ++completions_;
        PrintLine(line);
    } else if (text == "COULD NOT OPEN COM PORT" || text == "UNSUPPORTED RECEIVER") {
        Fail(kNoReceiver, "Receiver not reached: " + line +
                              (lastStatus_.empty() ? std::string() : ": " + lastStatus_));
    } else if (caption == "SIZE ERROR" || caption == "CHECKSUM ERROR" ||
               text.rfind("UPLOAD HAS NOT COMPLETED!", 0) == 0) {
        Fail(kUploadFailed, "Upload failed: " + caption + ": " + line);
    } else if (caption == "ERROR" || caption == "Library Error") {
        // The reader's reason, where the box does not already name it.
        ImageReader reader;
        std::string why;
        if (!options_.codeFile.empty() && !reader.Open(options_.codeFile) &&
            line.find(reader.problem) == std::string::npos)
            why = reader.problem;
        Fail(kImageRefused, "Image refused: " + line + (why.empty() ? "" : ": " + why));
    } else if ((flags & ui::MB_BUTTONS_MASK) == ui::MB_OK) {
        PrintLine(caption + ": " + line);
    } else {
        PrintLine(caption + ": " + line + (options_.yes ? " (yes, by --yes)" : ""));
    }
}

void OneShotUpload::PrepareUnit() {
    unit_.scanPortOnly = options_.portIndex;
    // The paths without the chosen flags: the drivers then ask for the kind (answered
    // from --kind) and take the files of these paths. Chosen files would decide the kind
    // by themselves (a detail map would go as a base map).
    unit_.codePath = options_.codeFile;
    unit_.codeChosen = 0;
    unit_.dataPath = options_.dataFile;
    unit_.dataChosen = 0;
    app_.manualMode = 1;
    if (options_.expertModel.empty())
        return;
    unit_.expertMode = 1;
    unit_.comIndex = options_.portIndex;
    if (options_.baud != 0) {
        unit_.baud = options_.baud;
        app_.baudChosenByUser = 1;
    }
}

int OneShotUpload::Upload() {
    if (!options_.expertModel.empty()) {
        std::size_t model = 0;
        while (model < kExpertModelNames.size() &&
               !ui::ChoiceName::Matches(options_.expertModel, kExpertModelNames[model]))
            ++model;
        if (model == kExpertModelNames.size()) {
            std::string names;
            for (std::string_view name : kExpertModelNames)
                names += (names.empty() ? "" : ", ") + std::string(name);
            PrintLine("--expert " + options_.expertModel + ": not a model (" + names + ")");
            return ui::PolicyBackend::kUnansweredCode;
        }
        unit_.family = CExpertSetupDlg::kModels[model].family;
        unit_.unitType = CExpertSetupDlg::kModels[model].unitType;
    }
    ui::PolicyBackend backend(Answers());
    ui::Runtime::Get().SetBackend(&backend);
    int quitCode = 0;
    {
        CMainFrame frame(app_);
        frame.Create();
        app_.mainWindow = &frame;
        PrepareUnit();
        if (unit_.expertMode != 0)
            PrintLine("Expert upload to " + options_.expertModel + " on " +
                      PortName(unit_.comIndex) + " at " + std::to_string(unit_.baud));
        app_.OnUpload();
        unit_.Close();
        quitCode = ui::Runtime::Get().QuitPosted() ? ui::Runtime::Get().QuitCode() : 0;
        app_.mainWindow = nullptr;
        frame.Destroy();
    }
    ui::Runtime::Get().SetBackend(nullptr);
    if (!options_.traceFile.empty()) {
        std::error_code ignored;
        std::filesystem::copy_file(LoaderTrace::kFileName, options_.traceFile,
                                   std::filesystem::copy_options::overwrite_existing, ignored);
    }
    return Finish(quitCode);
}

int OneShotUpload::Finish(int quitCode) {
    if (quitCode != 0)
        return quitCode;
    if (failure_ != kDone)
        return failure_;
    if (scan_.PassEnded() || (!found_ && unit_.expertMode == 0)) {
        PrintLine("No receiver found: no answer on " + scan_.Tried());
        return kNoReceiver;
    }
    if (completions_ == 0) {
        PrintLine("Upload failed: " +
                  (lastStatus_.empty() ? std::string("nothing was sent") : lastStatus_));
        return kUploadFailed;
    }
    const std::uint64_t ms = ui::Runtime::Get().NowMs() - writingSinceMs_;
    char line[160];
    std::snprintf(
        line, sizeof line, "Upload complete: %lld bytes in %.1f s (%lld B/s)",
        static_cast<long long>(bytesWritten_), static_cast<double>(ms) / 1000.0,
        ms == 0 ? 0LL
                : static_cast<long long>(bytesWritten_ * 1000 / static_cast<std::int64_t>(ms)));
    PrintLine(line);
    return kDone;
}

namespace {

std::string JsonText(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

int OneShotUpload::Identify() {
    std::vector<int> ports;
    if (options_.portIndex >= 0) {
        ports.push_back(options_.portIndex);
    } else {
        for (int index = 0; index < CConnectDlg::kPortCount; ++index) {
            if (!platform::ComPortNames::PathOf(index).empty())
                ports.push_back(index);
        }
    }
    ui::PolicyBackend backend(Answers());
    ui::Runtime& runtime = ui::Runtime::Get();
    runtime.SetBackend(&backend);
    std::vector<std::string> lines;
    std::string tried;
    for (int index : ports) {
        if (runtime.QuitPosted())
            break;
        unit_.ForgetReceiver();
        unit_.scanPortOnly = index;
        scan_.Reset();
        CConnectDlg scan(unit_, unit_.autoUpload);
        const bool answered = scan.DoModal() == ui::IDOK;
        tried += (tried.empty() || scan_.Tried().empty() ? "" : ", ") + scan_.Tried();
        if (!answered)
            continue;
        char version[32];
        std::snprintf(version, sizeof version, "%d.%02d", unit_.fwMajor, unit_.fwMinor);
        std::string device = platform::ComPortNames::PathOf(index);
        std::string port = "COM" + std::to_string(index + 1);
        const auto& memory = unit_.memInfo;
        if (options_.json) {
            lines.push_back("{\"port\": " + JsonText(port) + ", \"device\": " + JsonText(device) +
                            ", \"speed\": " + std::to_string(unit_.baud) + ", \"model\": " +
                            JsonText(unit_.unitName) + ", \"version\": " + JsonText(version) +
                            ", \"memory\": [" + std::to_string(memory[0]) + ", " +
                            std::to_string(memory[1]) + ", " + std::to_string(memory[2]) + "]}");
        } else {
            lines.push_back(port + "  " + device + "  " + std::to_string(unit_.baud) + "  " +
                            unit_.unitName + "  " + version + "  memory " +
                            std::to_string(memory[0]) + "," + std::to_string(memory[1]) + "," +
                            std::to_string(memory[2]));
        }
    }
    unit_.Close();
    const int quitCode = runtime.QuitPosted() ? runtime.QuitCode() : 0;
    runtime.SetBackend(nullptr);
    if (options_.json) {
        std::string all = "[";
        for (std::size_t i = 0; i < lines.size(); ++i)
            all += (i == 0 ? "\n  " : ",\n  ") + lines[i];
        PrintLine(all + (lines.empty() ? "]" : "\n]"));
    } else {
        for (const std::string& line : lines)
            PrintLine(line);
    }
    if (quitCode != 0)
        return quitCode;
    if (lines.empty()) {
        PrintLine("No receiver found: no answer on " +
                  (tried.empty() ? std::string("any port") : tried));
        return kNoReceiver;
    }
    return kDone;
}
