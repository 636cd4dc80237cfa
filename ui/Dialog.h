#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/DataExchange.h"
#include "ui/DialogTemplate.h"
#include "ui/MessageBoxFlags.h"
#include "ui/Window.h"

namespace ui {

// What a control shows while its dialog runs.
struct ControlState {
    const ControlTemplate* source;
    std::string text;
    bool checked = false;
    bool enabled = true;
    int rangeLow = 0;
    int rangeHigh = 100;
    int position = 0;
};

// A modal dialog built from a template. Construction may do work and run other
// dialogs; the window exists only while DoModal runs.
class Dialog : public Window {
  public:
    explicit Dialog(const DialogTemplate& dialogTemplate, Window* parent = nullptr);
    ~Dialog() override;

    // Shows the dialog and runs its modal loop; answers the value of the last EndDialog,
    // or IDCANCEL when the application is quitting.
    int DoModal();
    // Asks the modal loop to end; the last call before the loop notices decides the result.
    void EndDialog(int result);
    // save false: members to controls (a refresh). save true: controls to members.
    bool UpdateData(bool save = true);

    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnCommand(int /*id*/) {}
    virtual void DoDataExchange(DataExchange& /*dx*/) {}

    // Controls, while the dialog runs.
    void SetControlText(int id, std::string_view text);
    std::string ControlText(int id) const;
    void EnableControl(int id, bool enable);
    bool IsControlEnabled(int id) const;
    void CheckRadioButton(int firstId, int lastId, int checkId);
    void SetChecked(int id, bool checked);
    bool IsChecked(int id) const;
    void SetProgressRange(int id, int low, int high);
    void SetProgressPos(int id, int position);
    int ProgressPos(int id) const;
    void SetFocus(int id);
    int FocusId() const { return focusId_; }

    // What the user does; backends and scripts call these.
    void ClickButton(int id);
    void TypeText(int id, std::string_view text);
    void PressEnter();
    void PressEscape() { OnCancel(); }
    void CloseBox() { OnCancel(); }

    const DialogTemplate& Template() const { return template_; }
    const std::string& Caption() const { return template_.caption; }
    const std::vector<ControlState>& Controls() const { return controls_; }
    ControlState* FindControl(int id);
    const ControlState* FindControl(int id) const;
    Window* Parent() const { return parent_; }

    bool IsWindowAlive() const override { return running_; }
    bool TimersSuspended() const override { return ending_; }
    bool IsEnding() const { return ending_; }
    // The result the last EndDialog asked for.
    int Result() const { return result_; }

    // Set when controls changed since the backend last drew them.
    bool TakeDirty() {
        bool dirty = dirty_;
        dirty_ = false;
        return dirty;
    }

  private:
    void MarkDirty() { dirty_ = true; }
    // Indices of the radio buttons of the group that begins with firstId.
    std::vector<std::size_t> RadioGroup(int firstId) const;

    const DialogTemplate& template_;
    Window* parent_;
    std::vector<ControlState> controls_;
    bool running_ = false;
    bool ending_ = false;
    bool dirty_ = false;
    int result_ = IDCANCEL;
    int focusId_ = -1;

    friend class DataExchange;
};

}  // namespace ui
