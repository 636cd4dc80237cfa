#include "app/UploadDriver.h"
#include "drivers/DatabaseUploadDialog.h"
#include "drivers/MapUploadDialog3.h"
#include "drivers/MapUploadDialog4.h"
#include "drivers/PoiUploadDialog.h"

std::unique_ptr<UploadDriver> CreateUploadDriver(int family) {
    switch (family) {
        case 2:
            return std::make_unique<DatabaseUploadDialog>();
        case 5:
            return std::make_unique<MapUploadDialog4>();
        case 6:
            return std::make_unique<MapUploadDialog3>();
        case 15:
            return std::make_unique<PoiUploadDialog>();
        default:
            return nullptr;
    }
}
