#pragma once

#include <chrono>
#include <map>
#include <string>

#include "tests/ui/TestDialogs.h"
#include "ui/DialogTemplate.h"

// Milliseconds of real time since start.
inline long long MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

namespace frontendtest {

constexpr int kLabel = 301;
constexpr int kProgress = 302;
constexpr int kAction = 303;
constexpr int kRadioA = 304;
constexpr int kRadioB = 305;

// Two radio buttons, a label, a progress bar and three push buttons, in dialog units; one
// per caption, kept for the dialogs that refer to it.
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
                {kRadioA, ControlKind::RadioButton, "A", {12, 10, 40, 10}, ui::kGroupStart},
                {kRadioB, ControlKind::RadioButton, "B", {60, 10, 40, 10}},
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

}  // namespace frontendtest
