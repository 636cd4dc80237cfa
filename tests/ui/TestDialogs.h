#pragma once

#include <functional>

#include "ui/Dialog.h"
#include "ui/DialogTemplate.h"

namespace testdialogs {

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

}  // namespace testdialogs
