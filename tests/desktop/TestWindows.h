#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/DataExchange.h"
#include "ui/Dialog.h"
#include "ui/DialogTemplate.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBoxFlags.h"

namespace desktoptest {

constexpr int kNumber = 300;
constexpr int kLabel = 301;
constexpr int kProgress = 302;
constexpr int kAction = 303;
constexpr int kRadioA = 304;
constexpr int kRadioB = 305;

// A template with one control of each kind, laid out in dialog units.
inline const ui::DialogTemplate& LoopTemplate(const std::string& caption) {
    using ui::ControlKind;
    static std::vector<std::unique_ptr<ui::DialogTemplate>> made;
    for (auto& t : made) {
        if (t->caption == caption)
            return *t;
    }
    made.push_back(std::make_unique<ui::DialogTemplate>(ui::DialogTemplate{
        0,
        caption,
        {0, 0, 200, 100},
        {
            {-1, ControlKind::GroupBox, "&Values", {5, 4, 190, 64}},
            {-1, ControlKind::StaticText, "&Number:", {12, 18, 40, 10}},
            {kNumber, ControlKind::EditText, "", {55, 16, 60, 14}},
            {kRadioA, ControlKind::RadioButton, "Fast", {125, 16, 60, 10}, ui::kGroupStart},
            {kRadioB, ControlKind::RadioButton, "Slow", {125, 30, 60, 10}},
            {kLabel, ControlKind::StaticText, "Waiting", {12, 36, 100, 10}},
            {kProgress, ControlKind::ProgressBar, "", {12, 50, 176, 10}},
            {ui::IDOK, ControlKind::PushButton, "OK", {10, 78, 50, 14}, ui::kDefaultButton},
            {kAction, ControlKind::PushButton, "&Act", {75, 78, 50, 14}},
            {ui::IDCANCEL, ControlKind::PushButton, "Cancel", {140, 78, 50, 14}},
        }}));
    return *made.back();
}

// A dialog whose handlers the test sets; the number box and the radio group exchange data.
class TestDialog : public ui::Dialog {
  public:
    explicit TestDialog(const std::string& caption) : ui::Dialog(LoopTemplate(caption)) {}
    TestDialog(const ui::DialogTemplate& dialogTemplate) : ui::Dialog(dialogTemplate) {}

    std::function<void(TestDialog&)> onInit;
    std::function<void(TestDialog&, int)> onTimer;
    std::function<void(TestDialog&, int)> onCommand;
    std::function<void(TestDialog&)> onCancel;
    unsigned number = 0;
    int speed = 0;
    bool exchange = true;

    bool OnInitDialog() override {
        ui::Dialog::OnInitDialog();
        if (onInit)
            onInit(*this);
        return true;
    }
    void OnTimer(int id) override {
        if (onTimer)
            onTimer(*this, id);
    }
    void OnCommand(int id) override {
        if (onCommand)
            onCommand(*this, id);
    }
    void OnCancel() override {
        if (onCancel)
            onCancel(*this);
        else
            ui::Dialog::OnCancel();
    }
    void DoDataExchange(ui::DataExchange& dx) override {
        if (!exchange)
            return;
        dx.Unsigned(kNumber, number);
        dx.Radio(kRadioA, speed);
    }
};

// A main window whose handlers the test sets.
class TestFrame : public ui::FrameWindow {
  public:
    std::function<void(TestFrame&, int)> onTimer;
    std::function<bool(int)> isEnabled;
    std::vector<int> commands;

    void OnCommand(int id) override { commands.push_back(id); }
    bool IsCommandEnabled(int id) override { return isEnabled ? isEnabled(id) : true; }
    void OnTimer(int id) override {
        if (onTimer)
            onTimer(*this, id);
    }
};

}  // namespace desktoptest
