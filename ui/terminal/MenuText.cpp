#include "ui/terminal/MenuText.h"

#include "ui/FrameWindow.h"
#include "ui/MenuTemplate.h"
#include "ui/terminal/ChoiceName.h"

namespace ui {

namespace {

std::string ItemText(FrameWindow& frame, const MenuItem& item) {
    if (item.id == 0) {
        std::string popup = ChoiceName::Shown(item.text) + ":";
        bool first = true;
        for (const MenuItem& sub : item.items) {
            popup += first ? " " : ", ";
            popup += ItemText(frame, sub);
            first = false;
        }
        return popup;
    }
    std::string text = ChoiceName::Shown(item.text);
    if (!frame.IsCommandEnabled(item.id))
        text += " (greyed)";
    return text;
}

const MenuItem* FindIn(const std::vector<MenuItem>& items, std::string_view typed) {
    for (const MenuItem& item : items) {
        if (item.id != 0 && ChoiceName::Matches(typed, item.text))
            return &item;
        if (item.id == 0) {
            if (const MenuItem* found = FindIn(item.items, typed))
                return found;
        }
    }
    return nullptr;
}

}  // namespace

std::vector<std::string> MenuText::Lines(FrameWindow& frame) {
    std::vector<std::string> lines{"Menu:"};
    if (frame.Menu() == nullptr)
        return lines;
    for (const MenuItem& item : frame.Menu()->bar)
        lines.push_back("  " + ItemText(frame, item));
    return lines;
}

const MenuItem* MenuText::Find(const MenuTemplate& menu, std::string_view typed) {
    return FindIn(menu.bar, typed);
}

}  // namespace ui
