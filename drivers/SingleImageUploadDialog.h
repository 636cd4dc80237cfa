#pragma once

#include <vector>

#include "drivers/UploadDialogBase.h"
#include "drivers/UploadKindRow.h"
#include "image/ImageReader.h"

// A family's table of single-image uploads.
struct SingleImageFamily {
    std::vector<UploadKindRow> rows;  // by upload kind
    int nothingKind;                  // the kind that uploads nothing
};

// The drivers that send one image per run (program code, POI database or a map): they
// differ only in their table and in how they check the package and choose the kind.
class SingleImageUploadDialog : public UploadDialogBase {
  public:
    // The unit type of the "Solvanta" row: an automatic package for it is for another family.
    static constexpr int kOtherFamilyUnitType = 7;
    // The kind of the data image an automatic run names: the POI database or the base map.
    static constexpr int kAutomaticDataKind = 1;

    SingleImageUploadDialog(const ProgressLook& look, const SingleImageFamily& family,
                            CUploaderApp& app);
    ~SingleImageUploadDialog() override;

    ImageReader reader;

  protected:
    // Runs the preparation; called at the end of the family's constructor.
    void Prepare();
    // The package of an automatic run belongs to this receiver; shows why not otherwise.
    virtual bool PackageAccepted();
    // The kind from the chosen flags, or from the select-type dialog.
    virtual int ChooseKind() = 0;
    // The kind whose file the upload-file dialog shows and the run sends.
    virtual int KindToSend(int kind) const { return kind; }

    // The kind of the choice the select-type dialog answered; nothing for any other.
    int KindOfAnswer(int answer, const std::vector<std::pair<int, int>>& kindByButton) const;

  private:
    // The run's image is the POI database or a map, not the code.
    bool SendsDataImage() const;
    void ConfirmChosenFile();
    bool PrepareKind(const UploadKindRow& row);

    const SingleImageFamily& family_;
};
