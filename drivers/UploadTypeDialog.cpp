#include "drivers/UploadTypeDialog.h"

#include <optional>
#include <string>
#include <utility>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBoxFlags.h"

UploadTypeDialog::UploadTypeDialog(CUploaderApp& app, const ui::DialogTemplate& dialogTemplate,
                                   std::vector<Choice> choices, ui::Window* parent)
    : ui::Dialog(dialogTemplate, parent), app_(app), choices_(std::move(choices)) {}

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
            if (app_.unit.codePath.empty()) {
                std::optional<std::string> path = picker.Ask(app_.mainWindow);
                if (!path)
                    return false;
                app_.unit.codePath = *path;
            }
            app_.unit.codeChosen = 1;
            return true;
        case Take::DataAnyway:
        case Take::DataNeeded:
            if (app_.unit.dataPath.empty()) {
                std::optional<std::string> path = picker.Ask(app_.mainWindow);
                if (path) {
                    app_.unit.dataPath = *path;
                } else if (take == Take::DataNeeded) {
                    return false;
                }
            }
            app_.unit.dataChosen = 1;
            return true;
    }
    return false;
}
