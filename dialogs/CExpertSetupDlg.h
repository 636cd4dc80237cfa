#pragma once

#include "ui/Dialog.h"

class CUploaderApp;

// "Expert Setup": the receiver model, the port and expert upload mode, chosen by hand for a
// receiver already in its load mode. OK stores the choices in the application's receiver;
// Save also writes "orvane.cfg". Once closed in expert mode, no file counts as chosen.
class CExpertSetupDlg : public ui::Dialog {
  public:
    // The highest port number the "COM" box takes: the serial link opens no port beyond it,
    // and "orvane.cfg" keeps the index it gives.
    static constexpr unsigned kHighestComNumber = 16;

    struct Model {
        int family;
        int unitType;
    };
    // The family and unit type of each model button, top to bottom.
    static const Model kModels[13];

    explicit CExpertSetupDlg(CUploaderApp& app, ui::Window* parent = nullptr);

    int DoModal();

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    void DoDataExchange(ui::DataExchange& dx) override;

    int portChoice = 0;
    int modelChoice = 0;
    int expertChoice = 0;
    unsigned otherComNumber = 0;

  private:
    // Reads the controls and stores them in the receiver; false when the input was refused.
    bool StoreChoices();

    CUploaderApp& app_;
};
