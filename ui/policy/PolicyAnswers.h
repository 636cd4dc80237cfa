#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ui {

class Dialog;

// What the options of a one-shot command answer, and who is told what the program shows.
struct PolicyAnswers {
    // Buttons or radio buttons pressed in a dialog that waits for a person; the first
    // one the dialog has wins.
    std::vector<std::string> buttons;
    // Question boxes (OK/Cancel, Yes/No) are answered OK or Yes.
    bool yes = false;
    // Paths for the file-open dialogs: program code (a filter with "*.hex"), and data.
    std::string codeFile;
    std::string dataFile;
    // The whole run; 0: no limit.
    std::uint64_t timeoutMs = 0;
    // The option that would answer a dialog or box of this caption, for the line that
    // ends the run when nothing answers it.
    std::function<std::string(const std::string& caption)> optionFor;

    // Observers: a dialog opened (opened) or its controls changed, a box shown, a status
    // line set.
    std::function<void(const Dialog&, bool opened)> dialogShown;
    std::function<void(const std::string& text, const std::string& caption, unsigned flags)>
        boxShown;
    std::function<void(const std::string& text)> statusShown;
};

}  // namespace ui
