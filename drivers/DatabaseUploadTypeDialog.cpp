#include "drivers/DatabaseUploadTypeDialog.h"

#include "res/Resource.h"
#include "res/UploadTypeTemplates.h"

DatabaseUploadTypeDialog::DatabaseUploadTypeDialog(CUploaderApp& app, ui::Window* parent)
    : UploadTypeDialog(
          app, DatabaseUploadTypeTemplate(),
          {
              {IDC_DB_TYPE_CODE, Take::Code, kDatabasePicker.Titled("Select Code File")},
              {IDC_DB_TYPE_DATABASE, Take::DataAnyway,
               kDatabasePicker.Titled("Select POI Database")},
              {IDC_DB_TYPE_BOTH, Take::Code, kDatabasePicker.Titled("Select Code File"),
               Take::DataAnyway, kDatabasePicker.Titled("Select POI Database")},
          },
          parent) {}
