#include "ui/terminal/TerminalOutput.h"

#include <unistd.h>

#include <cerrno>

namespace ui {

TerminalOutput::TerminalOutput(int fd) : fd_(fd), terminal_(::isatty(fd) == 1) {}

void TerminalOutput::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;  // nobody reads any more; the program goes on without its output
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void TerminalOutput::CloseOpenLine() {
    if (open_ == Open::None)
        return;
    Write("\n");
    const bool prompt = open_ == Open::Prompt;
    open_ = Open::None;
    if (prompt) {
        PromptEnded();
        CloseOpenLine();  // what waited for the prompt may have left a progress line open
    }
}

void TerminalOutput::PromptEnded() {
    open_ = Open::None;
    if (onPromptEnded_)
        onPromptEnded_();
}

void TerminalOutput::AnswerEchoedByTerminal() {
    if (open_ == Open::Prompt)
        PromptEnded();
}

void TerminalOutput::EndPrompt() {
    if (open_ == Open::Prompt)
        CloseOpenLine();
}

void TerminalOutput::Line(std::string_view text) {
    CloseOpenLine();
    std::string line(text);
    line += '\n';
    Write(line);
    ++lines_;
}

void TerminalOutput::Prompt(std::string_view text) {
    CloseOpenLine();
    Write(text);
    open_ = Open::Prompt;
}

void TerminalOutput::Echo(std::string_view answer) {
    if (open_ != Open::Prompt) {
        Line(answer);
        return;
    }
    std::string line(answer);
    line += '\n';
    Write(line);
    ++lines_;
    PromptEnded();
}

void TerminalOutput::Progress(std::string_view text) {
    if (!terminal_) {
        Line(text);
        return;
    }
    if (open_ == Open::Prompt)
        CloseOpenLine();
    // Carriage return, the text, then erase what a longer previous text left.
    std::string line = "\r";
    line += text;
    line += "\x1b[K";
    Write(line);
    open_ = Open::Progress;
    ++lines_;
}

}  // namespace ui
