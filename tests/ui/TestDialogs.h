#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Dialog.h"
#include "ui/DialogTemplate.h"

namespace testdialogs {

constexpr int kEdit = 200;
constexpr int kNumber = 201;
constexpr int kAction = 202;
constexpr int kRadioA = 210;
constexpr int kRadioB = 211;
constexpr int kRadioC = 212;

// A small dialog with this caption: OK, Cancel, two boxes, a button and three radios.
inline const ui::DialogTemplate& MakeTemplate(const std::string& caption) {
    static std::vector<std::unique_ptr<ui::DialogTemplate>> made;
    for (auto& t : made) {
        if (t->caption == caption)
            return *t;
    }
    using ui::ControlKind;
    made.push_back(std::make_unique<ui::DialogTemplate>(
        ui::DialogTemplate{0,
                           caption,
                           {0, 0, 200, 100},
                           {{ui::IDOK, ControlKind::PushButton, "OK", {}, ui::kDefaultButton},
                            {ui::IDCANCEL, ControlKind::PushButton, "Cancel"},
                            {kEdit, ControlKind::EditText, ""},
                            {kNumber, ControlKind::EditText, ""},
                            {kAction, ControlKind::PushButton, "Act"},
                            {kRadioA, ControlKind::RadioButton, "A", {}, ui::kGroupStart},
                            {kRadioB, ControlKind::RadioButton, "B"},
                            {kRadioC, ControlKind::RadioButton, "C"}}}));
    return *made.back();
}

// A dialog whose handlers are set by the test; its text box, number box and first radio
// exchange data with `text`, `number` and `choice`.
class TestDialog : public ui::Dialog {
  public:
    explicit TestDialog(const std::string& caption) : TestDialog(MakeTemplate(caption)) {}
    explicit TestDialog(const ui::DialogTemplate& dialog, int textId = kEdit,
                        int numberId = kNumber, int radioId = kRadioA)
        : ui::Dialog(dialog), textId_(textId), numberId_(numberId), radioId_(radioId) {}

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
        dx.Text(textId_, text);
        dx.Unsigned(numberId_, number);
        dx.Radio(radioId_, choice);
    }

  private:
    int textId_, numberId_, radioId_;
};

}  // namespace testdialogs
