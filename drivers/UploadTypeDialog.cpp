#include "drivers/UploadTypeDialog.h"

#include <optional>
#include <string>
#include <utility>

#include "app/CGpsUnit.h"
#include "ui/MessageBoxFlags.h"

UploadTypeDialog::UploadTypeDialog(const ui::DialogTemplate& dialogTemplate,
                                   std::vector<Choice> choices, ui::Window* parent)
    : ui::Dialog(dialogTemplate, parent), choices_(std::move(choices)) {}

void UploadTypeDialog::OnCommand(int id) {
    for (const Choice& choice : choices_) {
        if (choice.id != id)
            continue;
        if (choice.second != Take::None) {
            TakeFile(choice.first, choice.firstPicker);
            TakeFile(choice.second, choice.secondPicker);
            EndDialog(id);
            return;
        }
        EndDialog(TakeFile(choice.first, choice.firstPicker) ? id : ui::IDCANCEL);
        return;
    }
}

bool UploadTypeDialog::TakeFile(Take take, const FilePicker& picker) {
    switch (take) {
        case Take::None:
            return true;
        case Take::Code:
            if (theUnit.codePath.empty()) {
                std::optional<std::string> path = picker.Ask();
                if (!path)
                    return false;
                theUnit.codePath = *path;
            }
            theUnit.codeChosen = 1;
            return true;
        case Take::DataAnyway:
        case Take::DataNeeded:
            if (theUnit.dataPath.empty()) {
                std::optional<std::string> path = picker.Ask();
                if (path) {
                    theUnit.dataPath = *path;
                } else if (take == Take::DataNeeded) {
                    return false;
                }
            }
            theUnit.dataChosen = 1;
            return true;
    }
    return false;
}
