#include "drivers/MapUploadTypeDialog4.h"

#include "res/Resource.h"
#include "res/UploadTypeTemplates.h"

MapUploadTypeDialog4::MapUploadTypeDialog4(CUploaderApp& app, ui::Window* parent)
    : UploadTypeDialog(
          app, MapUploadType4Template(),
          {
              {IDC_MAP4_CODE, Take::Code, kCodePicker.Titled("Select code file")},
              {IDC_MAP4_BASE, Take::DataAnyway, kMapPicker.Titled("Select base map file")},
              {IDC_MAP4_CODE_AND_BASE, Take::Code, kCodePicker.Titled("Select code file"),
               Take::DataAnyway, kMapPicker.Titled("Select base map file")},
              {IDC_MAP4_DETAIL, Take::DataNeeded, kMapPicker.Titled("Select detail map file")},
          },
          parent) {}
