#pragma once

#include <memory>

// What the Upload command needs of an upload driver dialog. A driver prepares its
// upload while it is constructed; the command then asks whether it is ready, runs it
// modally and reads what it did.
class UploadDriver {
  public:
    virtual ~UploadDriver() = default;

    // Construction found something to upload and everything it needs; only then is
    // the dialog run.
    virtual bool IsReady() const = 0;
    // Shows the dialog until the upload ends; the dialog's result (IDOK on success).
    virtual int RunModal() = 0;
    // Which upload the driver performed; the numbers are the family's own.
    virtual int UploadKind() const = 0;
    // The map continuation run of family 5 starts a driver with kind 3.
    virtual void SetUploadKind(int kind) = 0;
    // Family 2 only: the boot loader reload pass is needed after this run.
    virtual bool SecondPassNeeded() const { return false; }
};
