#pragma once

#include <map>
#include <string>

#include "tests/ui/TestDialogs.h"
#include "ui/DialogTemplate.h"

namespace desktoptest {

constexpr int kLabel = 301;
constexpr int kProgress = 302;
constexpr int kAction = 303;

// A template with a label, a progress bar and three buttons, in dialog units; one per
// caption, kept for the dialogs that refer to it.
inline const ui::DialogTemplate& LoopTemplate(const std::string& caption) {
    using ui::ControlKind;
    static std::map<std::string, ui::DialogTemplate> made;
    auto [it, added] = made.try_emplace(caption);
    if (added) {
        it->second = {
            0,
            caption,
            {0, 0, 200, 100},
            {
                {kLabel, ControlKind::StaticText, "Waiting", {12, 36, 100, 10}},
                {kProgress, ControlKind::ProgressBar, "", {12, 50, 176, 10}},
                {ui::IDOK, ControlKind::PushButton, "OK", {10, 78, 50, 14}, ui::kDefaultButton},
                {kAction, ControlKind::PushButton, "&Act", {75, 78, 50, 14}},
                {ui::IDCANCEL, ControlKind::PushButton, "Cancel", {140, 78, 50, 14}},
            }};
    }
    return it->second;
}

// A dialog whose handlers the test sets, on a loop template by default.
class TestDialog : public testdialogs::HandlerDialog<TestDialog> {
  public:
    explicit TestDialog(const std::string& caption) : HandlerDialog(LoopTemplate(caption)) {}
    explicit TestDialog(const ui::DialogTemplate& dialogTemplate) : HandlerDialog(dialogTemplate) {}
};

}  // namespace desktoptest
