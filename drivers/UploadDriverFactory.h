#pragma once

#include <memory>

#include "app/UploadDriver.h"

class CUploaderApp;

// The program's driver of an upload family (2, 5, 6 or 15) for the application's
// receiver, constructed now; none for any other family.
std::unique_ptr<UploadDriver> CreateUploadDriver(int family, CUploaderApp& app);
