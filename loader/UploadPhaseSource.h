#pragma once

// Tells the flash loader which file of a family-2 run is being sent, so that it can
// read the receiver's two-word debug reports in the right order. The family-2 driver
// implements it and lends itself to the engine while it runs.
//   0: the code file (a database may follow)
//   1: the last file
//   2: the boot block
//   3: finished
class UploadPhaseSource {
  public:
    virtual ~UploadPhaseSource() = default;
    virtual int UploadPhase() const = 0;
};
