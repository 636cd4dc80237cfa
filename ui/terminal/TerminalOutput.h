#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ui {

// Standard output of the terminal front end: whole lines, prompts that end with "> "
// and wait on the same line, and a progress line that a terminal updates in place.
// A prompt is the last thing printed until it is answered; whoever prints more first
// ends its line, and the handler of a prompt's end is told.
class TerminalOutput {
  public:
    explicit TerminalOutput(int fd);

    void Line(std::string_view text);
    void Prompt(std::string_view text);
    // On a terminal the line is rewritten in place; through a pipe it is a line.
    void Progress(std::string_view text);
    // The answer to the open prompt, shown after it when the input does not echo itself.
    void Echo(std::string_view answer);
    // The user's answer ended the prompt's line (a terminal echoed it and the Enter).
    void AnswerEchoedByTerminal();

    bool PromptOpen() const { return open_ == Open::Prompt; }
    // Ends the line of a prompt that will not be answered.
    void EndPrompt();
    // Called once the line of a prompt has ended, to print what waited for it.
    void OnPromptEnded(std::function<void()> handler) { onPromptEnded_ = std::move(handler); }

    // Counts whole lines written, so that a prompt interrupted by other lines can be
    // shown again.
    std::uint64_t LinesWritten() const { return lines_; }
    bool IsTerminal() const { return terminal_; }

  private:
    void Write(std::string_view bytes);
    void CloseOpenLine();
    void PromptEnded();

    int fd_;
    bool terminal_;
    enum class Open { None, Prompt, Progress };
    Open open_ = Open::None;  // the last line is not ended yet
    std::uint64_t lines_ = 0;
    std::function<void()> onPromptEnded_;
};

}  // namespace ui
