#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "command/CConnectDlg.h"
#include "command/CDatabaseTypeDlg.h"
#include "drivers/UploadDriverFactory.h"
#include "platform/MemorySerialBank.h"
#include "res/Resource.h"
#include "sim/SimulatedReceiver.h"
#include "tests/drivers/LineTap.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempWorkDir.h"
#include "tools/sample-images/SampleImages.h"

// A user, a simulated receiver on COM1 and an empty working directory, all in virtual
// time: the Upload command's sequence is played through the driver factory.
class DriverFixture : public ::testing::Test {
  protected:
    using Bytes = samples::Bytes;

    // Back to the state of program start, for a test that runs several uploads.
    void ResetState() {
        unit.ResetForStart();
        app.manualMode = 1;
        app.autoUnitType = 1;
        app.unitMapName.clear();
        app.imageMapName.clear();
    }

    void StartReceiver(const std::string& model,
                       const std::function<void(sim::ReceiverOptions&)>& adjust = {}) {
        sim::ReceiverOptions options;
        ASSERT_TRUE(options.SetModel(model));
        options.timing.pace = true;
        if (adjust)
            adjust(options);
        receiver = std::make_unique<sim::SimulatedReceiver>(options);
        tap = std::make_unique<LineTap>(*receiver);
        bank.Attach(0, tap.get());
    }

    // The identification the Upload command runs before it picks the driver.
    bool Identify() {
        CConnectDlg connect(unit, unit.autoUpload);
        if (connect.DoModal() != ui::IDOK)
            return false;
        CDatabaseTypeDlg databaseType(unit, unit.autoUpload);
        return databaseType.DoModal() == ui::IDOK;
    }

    struct Run {
        bool ready = false;
        int result = 0;
        int kind = -1;
        bool secondPass = false;
    };
    // Constructs the family's driver and runs it when it is ready (and show is set).
    Run Upload(const std::function<void(UploadDriver&)>& beforeRun = {}, bool show = true) {
        Run run;
        std::unique_ptr<UploadDriver> driver = CreateUploadDriver(unit.family, app);
        if (!driver)
            return run;
        run.ready = driver->IsReady();
        if (run.ready && beforeRun)
            beforeRun(*driver);
        if (run.ready && show)
            run.result = driver->RunModal();
        run.kind = driver->UploadKind();
        run.secondPass = driver->SecondPassNeeded();
        return run;
    }

    static Bytes WriteImage(const std::string& name, const Bytes& bytes) {
        samples::WriteFile(name, bytes);
        return bytes;
    }
    Bytes Flash(std::uint32_t address, std::size_t size) const {
        return receiver->ReadFlash(address, size);
    }
    // Command sentences the host sent.
    int Sent(const std::string& command) const { return tap->CountSentences(command); }
    // The captions of the dialogs opened since the transcript was cleared, in order.
    std::vector<std::string> DialogsOpened() {
        std::vector<std::string> captions;
        for (const ui::TranscriptEntry& entry : ui.Log().Entries()) {
            if (entry.kind == ui::TranscriptEntry::Kind::DialogOpened)
                captions.push_back(entry.caption);
        }
        return captions;
    }
    std::string Last(const std::string& caption, int id) {
        std::vector<std::string> history = ui.Log().ControlHistory(caption, id);
        return history.empty() ? std::string() : history.back();
    }

    TempWorkDir dir;
    ScriptedUi ui;
    platform::MemorySerialBank bank;
    std::unique_ptr<sim::SimulatedReceiver> receiver;
    std::unique_ptr<LineTap> tap;
    CGpsUnit unit;  // after the receiver: the port closes before it goes
    CUploaderApp app{unit};
    void SetUp() override {
        app.upload.driverFactory = [this](int family) { return CreateUploadDriver(family, app); };
    }
};

inline constexpr char kUploadStatus[] = "Upload status";
inline constexpr char kDatabaseStatus[] = "Upload of GPS 7K1/7K2";
inline constexpr char kUploadFile[] = "UPLOAD FILE";
inline constexpr char kProtocol[] = "Determing Upload Protocol";
inline constexpr char kConnect[] = "Establishing Communication with Receiver";
inline constexpr char kDatabaseType[] = "Determining Database Type";
// The overwrite question for firmware 2.05 and the sample code images (version 3.01).
inline constexpr char kOverwrite205With301[] =
    "Unit currently contains firmware\nversion 2.05\n\nThis will overwrite\nwith version 3.01";
