#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ui {

class FrameWindow;
struct MenuItem;
struct MenuTemplate;

// The main window's menu as lines of text, and the command a typed line names.
class MenuText {
  public:
    // "Menu:", then one line per menu bar entry; greyed commands are marked.
    static std::vector<std::string> Lines(FrameWindow& frame);
    // The command item the typed text names, searched through every popup; nullptr when none.
    static const MenuItem* Find(const MenuTemplate& menu, std::string_view typed);
};

}  // namespace ui
