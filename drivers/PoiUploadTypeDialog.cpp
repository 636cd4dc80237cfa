#include "drivers/PoiUploadTypeDialog.h"

#include "res/Resource.h"
#include "res/UploadTypeTemplates.h"

PoiUploadTypeDialog::PoiUploadTypeDialog(CUploaderApp& app, ui::Window* parent)
    : UploadTypeDialog(
          app, PoiUploadTypeTemplate(),
          {
              {IDC_POI_TYPE_CODE, Take::Code, kCodePicker.Titled("Select Code File")},
              {IDC_POI_TYPE_POI, Take::DataAnyway, kDatabasePicker.Titled("Select POI Database")},
          },
          parent) {}
