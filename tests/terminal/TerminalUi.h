#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "tests/ui/TestDialogs.h"
#include "ui/Runtime.h"
#include "ui/terminal/TerminalBackend.h"

// The terminal front end in-process: the test types into a pipe and reads what was
// printed from a temporary file. Timers run on the real clock; keep them short.
class TerminalUi {
  public:
    TerminalUi() {
        if (::pipe2(input_, O_CLOEXEC) != 0)
            return;
        output_ = std::tmpfile();
        backend_ = std::make_unique<ui::TerminalBackend>(input_[0], ::fileno(output_));
        ui::Runtime::Get().SetBackend(backend_.get());
    }
    ~TerminalUi() {
        backend_.reset();
        ui::Runtime::Get().Reset();
        ::close(input_[0]);
        EndInput();
        std::fclose(output_);
    }
    TerminalUi(const TerminalUi&) = delete;
    TerminalUi& operator=(const TerminalUi&) = delete;

    void Type(const std::string& text) {
        [[maybe_unused]] ssize_t n = ::write(input_[1], text.data(), text.size());
    }
    void EndInput() {
        if (input_[1] >= 0)
            ::close(input_[1]);
        input_[1] = -1;
    }
    std::string Output() const {
        std::string text;
        std::rewind(output_);
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, output_)) > 0)
            text.append(buffer, n);
        return text;
    }
    bool Printed(const std::string& text) const { return Output().find(text) != std::string::npos; }
    int Count(const std::string& text) const {
        std::string all = Output();
        int count = 0;
        for (std::size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1))
            ++count;
        return count;
    }

  private:
    int input_[2] = {-1, -1};
    std::FILE* output_ = nullptr;
    std::unique_ptr<ui::TerminalBackend> backend_;
};

namespace terminaltest {

constexpr int kName = 300;
constexpr int kCount = 301;
constexpr int kStatus = 302;
constexpr int kProgress = 303;
constexpr int kPercent = 304;
constexpr int kPathwick = 310;
constexpr int kCom2 = 311;
constexpr int kUploadFile = 320;
constexpr int kLater = 321;

// A dialog with labelled boxes, a radio group, a read-only status text, a progress
// bar with its percentage as text, and buttons.
inline const ui::DialogTemplate& LabelledTemplate() {
    using ui::ControlKind;
    static const ui::DialogTemplate dialog{
        7000,
        "Expert Setup",
        {0, 0, 200, 120},
        {
            {-1, ControlKind::StaticText, "Receiver name:"},
            {kName, ControlKind::EditText, ""},
            {-1, ControlKind::StaticText, "COM"},
            {kCount, ControlKind::EditText, ""},
            {kPathwick, ControlKind::RadioButton, "&Pathwick", {}, ui::kGroupStart},
            {kCom2, ControlKind::RadioButton, "COM &2"},
            {kStatus, ControlKind::EditText, "", {}, ui::kReadOnly},
            {kProgress, ControlKind::ProgressBar, ""},
            {kPercent, ControlKind::EditText, "", {}, ui::kReadOnly},
            {ui::IDOK, ControlKind::PushButton, "&Save", {}, ui::kDefaultButton},
            {kUploadFile, ControlKind::PushButton, "Upload &File..."},
            {kLater, ControlKind::PushButton, "Later", {}, ui::kDisabled},
            {ui::IDCANCEL, ControlKind::PushButton, "Cancel"},
        }};
    return dialog;
}

// Its name box, count box and radios exchange data with `text`, `number` and `choice`.
struct LabelledDialog : testdialogs::HandlerDialog<LabelledDialog> {
    LabelledDialog() : HandlerDialog(LabelledTemplate()) {}

    std::string text;
    unsigned number = 0;
    int choice = -1;

    void DoDataExchange(ui::DataExchange& dx) override {
        dx.Text(kName, text);
        dx.Unsigned(kCount, number);
        dx.Radio(kPathwick, choice);
    }
};

}  // namespace terminaltest
