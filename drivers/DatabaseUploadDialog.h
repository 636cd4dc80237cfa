#pragma once

#include <cstdint>

#include "drivers/UploadDialogBase.h"
#include "image/ImageReader.h"

// The driver of upload family 2 ("GPS7K1/7K2"): program code, the city database, or
// the code followed by the database in one engine session. A receiver with firmware
// older than 3 also gets the database of its region and then needs a second pass that
// loads the boot block again. Kinds: 0 program code, 1 database, 2 code and then
// database, 3 nothing. Each image of the run carries its phase, by which the engine
// orders the receiver's two-word reports.
class DatabaseUploadDialog final : public UploadDialogBase {
  public:
    enum Phase { kCodePhase = 0, kLastFilePhase = 1, kBootBlockPhase = 2, kFinishedPhase = 3 };

    static constexpr int kNothing = 3;
    static constexpr std::uint32_t kCodeLoadAddress = 0;
    static constexpr std::uint32_t kDatabaseLoadAddress = 0xA0000;
    static constexpr std::uint32_t kBootBlockLoadAddress = 0x70000;
    static constexpr std::uint32_t kCodeEraseEnd = 0x9FFFF;
    static constexpr std::uint32_t kCodeAndDatabaseEraseEnd = 0x1FFFFF;
    static constexpr int kFirstCurrentFirmware = 3;
    static constexpr const char* kCustomProposal = "gps7k1wo.bin";

    explicit DatabaseUploadDialog(CUploaderApp& app);
    ~DatabaseUploadDialog() override;

    // Only a run that was started can have touched the boot block.
    bool SecondPassNeeded() const override { return secondPass != 0 && ready != 0; }
    // Tells, after a completed run, of a database it was to load and did not.
    int RunModal() override;

    ImageReader dataReader;
    ImageReader codeReader;
    int databaseWanted = 0;
    int secondPass = 0;
    int phase = kCodePhase;

  private:
    void Prepare();
    void ChooseKind();
    void ConfirmFiles();
    // Answers false when the user declined to lose a custom database.
    bool DecideDatabase();
    bool OpenImages();
    bool ValidateImages();
    void CreateRunForKind();

    // The receiver's old firmware and missing database made the run leave out the
    // database it was to load.
    bool databaseDropped_ = false;
};
