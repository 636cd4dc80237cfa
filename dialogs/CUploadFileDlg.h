#pragma once

#include <string>

#include "ui/Dialog.h"

// "UPLOAD FILE": shows the file an upload driver is about to send, in a box the user
// cannot edit. "Upload File" and "Change file" end it at once with their own numbers;
// "Cancel", Escape and the close box answer Cancel; Enter answers OK.
class CUploadFileDlg : public ui::Dialog {
  public:
    static constexpr int kUploadFile = 1069;
    static constexpr int kChangeFile = 1070;

    explicit CUploadFileDlg(ui::Window* parent = nullptr);

    std::string fileName;

  protected:
    void OnCommand(int id) override;
    void DoDataExchange(ui::DataExchange& dx) override;
};
