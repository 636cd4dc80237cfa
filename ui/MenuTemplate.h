#pragma once

#include <string>
#include <vector>

namespace ui {

// A menu item: a command (id not 0) or a popup with its items (id 0).
struct MenuItem {
    std::string text;
    int id = 0;
    std::vector<MenuItem> items = {};
    std::string prompt = {};  // status bar text while the item is highlighted
};

struct MenuTemplate {
    int resourceId;
    std::string title;
    std::vector<MenuItem> bar;
    std::string idleText = "Ready";
};

}  // namespace ui
