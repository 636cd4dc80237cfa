#pragma once

#include <functional>
#include <string>

#include "ui/Dialog.h"
#include "ui/DialogTemplate.h"

namespace testdialogs {

constexpr int kEdit = 200;
constexpr int kNumber = 201;
constexpr int kAction = 202;
constexpr int kRadioA = 210;
constexpr int kRadioB = 211;
constexpr int kRadioC = 212;

inline const ui::DialogTemplate& MakeTemplate(const std::string& caption) {
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
            {ui::IDOK, ui::ControlKind::PushButton, "OK", {}, ui::kDefaultButton},
            {ui::IDCANCEL, ui::ControlKind::PushButton, "Cancel", {}},
            {kEdit, ui::ControlKind::EditText, "", {}},
            {kNumber, ui::ControlKind::EditText, "", {}},
            {kAction, ui::ControlKind::PushButton, "Act", {}},
            {kRadioA, ui::ControlKind::RadioButton, "A", {}, ui::kGroupStart},
            {kRadioB, ui::ControlKind::RadioButton, "B", {}},
            {kRadioC, ui::ControlKind::RadioButton, "C", {}},
        }}));
    return *made.back();
}

// A dialog whose handlers are set by the test.
class TestDialog : public ui::Dialog {
  public:
    explicit TestDialog(const std::string& caption) : ui::Dialog(MakeTemplate(caption)) {}

    std::function<void(TestDialog&)> onInit;
    std::function<void(TestDialog&, int)> onTimer;
    std::function<void(TestDialog&, int)> onCommand;
    std::function<void(TestDialog&)> onCancel;

    std::string text;
    unsigned number = 0;
    int choice = -1;

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
        if (onCancel) {
            onCancel(*this);
        } else {
            ui::Dialog::OnCancel();
        }
    }
    void DoDataExchange(ui::DataExchange& dx) override {
        dx.Text(kEdit, text);
        dx.Unsigned(kNumber, number);
        dx.Radio(kRadioA, choice);
    }
};

}  // namespace testdialogs
