#include "dialogs/CUploadFileDlg.h"

#include "res/Resource.h"
#include "res/UploadFileTemplate.h"

static_assert(CUploadFileDlg::kUploadFile == IDC_UPLOAD_FILE_BUTTON);
static_assert(CUploadFileDlg::kChangeFile == IDC_CHANGE_FILE_BUTTON);

CUploadFileDlg::CUploadFileDlg(ui::Window* parent) : ui::Dialog(UploadFileTemplate(), parent) {}

void CUploadFileDlg::OnCommand(int id) {
    if (id == kUploadFile || id == kChangeFile)
        EndDialog(id);
}

void CUploadFileDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(IDC_UPLOAD_FILE_NAME, fileName);
}
