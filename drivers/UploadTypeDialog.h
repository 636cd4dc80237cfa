#pragma once

#include <vector>

#include "drivers/FilePicker.h"
#include "ui/Dialog.h"

class CUploaderApp;

// Base of the select-type dialogs: each choice is a radio button that acts as soon as
// it is clicked. A choice takes the program code, a data file, or both one after the
// other; the dialog answers the choice's button number or Cancel.
class UploadTypeDialog : public ui::Dialog {
  public:
    // What a choice does for one file.
    enum class Take {
        None,
        // Program code: a name in codePath is taken as it is; otherwise the picker asks,
        // and cancelling it cancels the choice.
        Code,
        // A data file: the picker asks only when dataPath is empty, and the choice
        // stands whether or not a name was chosen.
        DataAnyway,
        // A data file the choice cannot do without: as DataAnyway, but cancelling the
        // picker cancels the choice.
        DataNeeded,
    };
    struct Choice {
        int id;
        Take first;
        FilePicker firstPicker;
        Take second = Take::None;  // a second file: the choice stands whatever happened
        FilePicker secondPicker = {};
    };

    // The choices take their files into the application's receiver.
    UploadTypeDialog(CUploaderApp& app, const ui::DialogTemplate& dialogTemplate,
                     std::vector<Choice> choices, ui::Window* parent = nullptr);

  protected:
    void OnCommand(int id) override;

  private:
    // Answers false when the user cancelled a picker the choice needs.
    bool TakeFile(Take take, const FilePicker& picker);

    CUploaderApp& app_;
    std::vector<Choice> choices_;
};
