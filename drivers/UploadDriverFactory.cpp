#include "drivers/UploadDriverFactory.h"

#include "drivers/DatabaseUploadDialog.h"
#include "drivers/MapUploadDialog3.h"
#include "drivers/MapUploadDialog4.h"
#include "drivers/PoiUploadDialog.h"

std::unique_ptr<UploadDriver> CreateUploadDriver(int family, CUploaderApp& app) {
    switch (family) {
        case 2:
            return std::make_unique<DatabaseUploadDialog>(app);
        case 5:
            return std::make_unique<MapUploadDialog4>(app);
        case 6:
            return std::make_unique<MapUploadDialog3>(app);
        case 15:
            return std::make_unique<PoiUploadDialog>(app);
        default:
            return nullptr;
    }
}
