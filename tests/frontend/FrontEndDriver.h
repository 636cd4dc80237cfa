#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ui {
class Dialog;
class FrameWindow;
}  // namespace ui

// What the scripted user does and sees on a desktop front end, against its real windows.
// The conformance suite is written once against it; each front end's test program gives
// its own (Driver()). Actions are called from the program's own loop (a timer of a
// dialog below) and take effect when that loop runs again, as a user's would.
class FrontEndDriver {
  public:
    virtual ~FrontEndDriver() = default;
    // False when the front end cannot run here (no display): the suite skips.
    virtual bool Ready() const = 0;
    // Presses the button (push or radio button of a dialog, or of a message box) with this
    // text, '&' left out, in the window with this caption.
    virtual bool PressButton(const std::string& caption, const std::string& text) = 0;
    virtual bool PressEnter(const std::string& caption) = 0;
    // Gives the open file dialog with this title a path and confirms it.
    virtual bool ChooseFile(const std::string& title, const std::string& path) = 0;
    // Chooses the menu command with this text ('&' left out) of the main window.
    virtual bool ChooseMenuCommand(const ui::FrameWindow& frame, const std::string& text) = 0;

    virtual std::string ShownText(const ui::Dialog& dialog, int id) = 0;
    // The icon (ui::MB_ICON...) of the open message box with this caption; 0: none.
    virtual unsigned BoxIcon(const std::string& caption) = 0;
    virtual std::string StatusText(const ui::FrameWindow& frame, int pane) = 0;
    virtual bool CommandEnabled(const ui::FrameWindow& frame, int id) = 0;
    // Modal loops running now, the main loop included.
    virtual std::size_t LoopDepth() = 0;
    // Controls whose content is larger than their box.
    virtual std::vector<int> ControlsCutShort(const ui::Dialog& dialog) = 0;
    // Saves a picture of the window with this caption in the screenshot folder, its name
    // with the front end's prefix; answers its number of distinct colours (0: none saved).
    virtual int Screenshot(const std::string& caption, const std::string& name) = 0;
};

FrontEndDriver& Driver();
