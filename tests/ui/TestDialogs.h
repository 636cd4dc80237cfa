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

// A dialog whose handlers the test sets; they take the dialog as a Self.
template <class Self>
class HandlerDialog : public ui::Dialog {
  public:
    using ui::Dialog::Dialog;

    std::function<void(Self&)> onInit;
    std::function<void(Self&, int)> onTimer;
    std::function<void(Self&, int)> onCommand;
    std::function<void(Self&)> onCancel;

    bool OnInitDialog() override {
        ui::Dialog::OnInitDialog();
        if (onInit)
            onInit(Me());
        return true;
    }
    void OnTimer(int id) override {
        if (onTimer)
            onTimer(Me(), id);
    }
    void OnCommand(int id) override {
        if (onCommand)
            onCommand(Me(), id);
    }
    void OnCancel() override {
        if (onCancel)
            onCancel(Me());
        else
            ui::Dialog::OnCancel();
    }

  private:
    Self& Me() { return static_cast<Self&>(*this); }
};

// Its text box, number box and first radio exchange data with `text`, `number` and `choice`.
class TestDialog : public HandlerDialog<TestDialog> {
  public:
    explicit TestDialog(const std::string& caption) : TestDialog(MakeTemplate(caption)) {}
    explicit TestDialog(const ui::DialogTemplate& dialog, int textId = kEdit,
                        int numberId = kNumber, int radioId = kRadioA)
        : HandlerDialog(dialog), textId_(textId), numberId_(numberId), radioId_(radioId) {}

    std::string text;
    unsigned number = 0;
    int choice = -1;

    void DoDataExchange(ui::DataExchange& dx) override {
        dx.Text(textId_, text);
        dx.Unsigned(numberId_, number);
        dx.Radio(radioId_, choice);
    }

  private:
    int textId_, numberId_, radioId_;
};

}  // namespace testdialogs
