#pragma once

#include <wx/frame.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/MenuTemplate.h"
#include "ui/desktop/CommandIdMap.h"

class wxMenu;
class wxMenuEvent;
class wxIdleEvent;

namespace ui {

class FrameWindow;

// The main window: the menu of the template, a plain client area and the status bar.
// A command that stands on the menu bar itself gets a menu of its own holding it, with
// a keyboard shortcut (Ctrl and its underlined letter); the menu's title is greyed with
// the command.
class MainFrameWindow : public wxFrame {
  public:
    MainFrameWindow(FrameWindow& frame, std::function<void()> afterUserEvent);

    // Shows a pane's text at once; pane -1 shows or hides the status bar.
    void ShowPane(int pane);
    void Retire();

    // What is on screen now (for tests and probes).
    std::string ShownStatusText(int pane) const;
    bool ShownCommandEnabled(int systemId) const;
    // The shortcut of a command that stands on the menu bar itself, e.g. "Ctrl+U".
    std::string BarCommandShortcut(int systemId) const;

  private:
    struct BarCommand {
        int systemId;
        std::size_t position;  // of its menu on the bar
        std::string shortcut;
    };
    wxMenu* BuildMenu(const std::vector<MenuItem>& items);
    void AppendCommand(wxMenu& menu, const MenuItem& item, const std::string& shortcut);
    void OnMenuCommand(wxCommandEvent& event);
    void OnIdle(wxIdleEvent& event);
    void OnHighlight(wxMenuEvent& event);
    void OnMenuClose(wxMenuEvent& event);
    void OnCloseBox(wxCloseEvent& event);

    FrameWindow* frame_;
    std::function<void()> afterUserEvent_;
    CommandIdMap ids_;
    std::map<int, std::string> prompts_;  // by private id
    std::vector<BarCommand> barCommands_;
};

}  // namespace ui
