#include "app/UploadDriver.h"

std::unique_ptr<UploadDriver> CreateUploadDriver(int /*family*/) {
    return nullptr;
}
