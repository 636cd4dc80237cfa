#include "drivers/MapUploadTypeDialog3.h"

#include "res/Resource.h"
#include "res/UploadTypeTemplates.h"

MapUploadTypeDialog3::MapUploadTypeDialog3(CUploaderApp& app, ui::Window* parent)
    : UploadTypeDialog(
          app, MapUploadType3Template(),
          {
              {IDC_MAP3_CODE, Take::Code, kCodePicker.Titled("Select code file")},
              {IDC_MAP3_BASE, Take::DataAnyway, kMapPicker.Titled("Select base map file")},
              {IDC_MAP3_DETAIL, Take::DataNeeded, kMapPicker.Titled("Select detail map file")},
          },
          parent) {}
