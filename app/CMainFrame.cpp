#include "app/CMainFrame.h"

#include <optional>
#include <string>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "app/ImagePath.h"
#include "dialogs/CAboutDlg.h"
#include "dialogs/CExpertHelpDlg.h"
#include "dialogs/CExpertSetupDlg.h"
#include "dialogs/CFileHelpDlg.h"
#include "dialogs/CUploadHelpDlg.h"
#include "res/MainFrameMenu.h"
#include "res/Resource.h"
#include "ui/FileOpenDialog.h"

namespace {

// The framework's file-open dialog for opening; Cancel, or a path that cannot be used,
// keeps the old choice.
std::optional<std::string> PickFile(ui::Window* owner, ui::Window* mainWindow, const char* filter) {
    return ImagePath::Checked(ui::FileOpenDialog({owner, "", "bin", filter, ""}), mainWindow);
}

}  // namespace

bool CMainFrame::Create() {
    return ui::FrameWindow::Create(MainFrameMenu(), kPaneCount);
}

bool CMainFrame::IsCommandEnabled(int id) {
    if (id == ID_UPLOAD)
        return app_.manualMode != 0 || app_.unit.expertMode != 0;
    return true;
}

void CMainFrame::OnCommand(int id) {
    switch (id) {
        case ID_FILE_SELECT_CODE:
            OnSelectCodeFile();
            break;
        case ID_FILE_SELECT_DATABASE:
            OnSelectDatabaseFile();
            break;
        case ID_UPLOAD:
            app_.OnUpload();
            break;
        case ID_EXPERT: {
            CExpertSetupDlg setup(app_, this);
            setup.DoModal();
            break;
        }
        case ID_APP_ABOUT: {
            CAboutDlg about(this);
            about.DoModal();
            break;
        }
        case ID_HELP_FILE: {
            CFileHelpDlg help(this);
            help.DoModal();
            break;
        }
        case ID_HELP_UPLOAD: {
            CUploadHelpDlg help(this);
            help.DoModal();
            break;
        }
        case ID_HELP_EXPERT: {
            CExpertHelpDlg help(this);
            help.DoModal();
            break;
        }
        default:
            break;
    }
}

void CMainFrame::OnSelectCodeFile() {
    if (std::optional<std::string> path = PickFile(this, app_.mainWindow, kCodeFilter)) {
        app_.unit.codePath = *path;
        app_.unit.codeChosen = 1;
    }
}

void CMainFrame::OnSelectDatabaseFile() {
    if (std::optional<std::string> path = PickFile(this, app_.mainWindow, kDataFilter)) {
        app_.unit.dataPath = *path;
        app_.unit.dataChosen = 1;
    }
}
