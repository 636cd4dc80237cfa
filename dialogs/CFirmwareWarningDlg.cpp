#include "dialogs/CFirmwareWarningDlg.h"

#include <utility>

#include "res/FirmwareWarningTemplate.h"
#include "res/Resource.h"

CFirmwareWarningDlg::CFirmwareWarningDlg(std::string upper, std::string lower, ui::Window* parent)
    : ui::Dialog(FirmwareWarningTemplate(), parent),
      upperLine(std::move(upper)),
      lowerLine(std::move(lower)) {}

void CFirmwareWarningDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(IDC_WARNING_UPPER, upperLine);
    dx.Text(IDC_WARNING_LOWER, lowerLine);
}
