#pragma once

// The one in-process bench: the program in a fresh working directory, simulated receivers
// on the memory ports behind a tap that keeps what the host sent, a scripted user, and the
// Upload command run in virtual time. The drivers are the real ones, or doubles that play
// a planned outcome and note what the command did with them (UseDoubles).

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CGpsUnit.h"
#include "app/CMainFrame.h"
#include "app/CUploaderApp.h"
#include "app/UploadDriver.h"
#include "drivers/UploadDriverFactory.h"
#include "platform/MemorySerialBank.h"
#include "res/Resource.h"
#include "sim/SimulatedReceiver.h"
#include "tests/drivers/LineTap.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempWorkDir.h"
#include "tools/sample-images/SampleImages.h"

inline constexpr char kUploadStatus[] = "Upload status";
inline constexpr char kDatabaseStatus[] = "Upload of GPS 7K1/7K2";
inline constexpr char kUploadFile[] = "UPLOAD FILE";
inline constexpr char kProtocol[] = "Determing Upload Protocol";
inline constexpr char kConnect[] = "Establishing Communication with Receiver";
inline constexpr char kDatabaseType[] = "Determining Database Type";
// The overwrite question for firmware 2.05 and the sample code images (version 3.01).
inline constexpr char kOverwrite205With301[] =
    "Unit currently contains firmware\nversion 2.05\n\nThis will overwrite\nwith version 3.01";

using Strings = std::vector<std::string>;

// What one driver double does.
struct DriverPlan {
    bool ready = true;
    int result = ui::IDOK;
    int kind = 0;  // the upload kind it reports after its run
    bool secondPass = false;
};

// Notes in `events` what the command did with it: "make", "run" (with the upload kind set
// before the run and the pass it ran in) and "delete", each with the family.
class DriverDouble : public UploadDriver {
  public:
    DriverDouble(Strings& events, const CGpsUnit& unit, int family, DriverPlan plan)
        : events_(events), unit_(unit), family_(family), plan_(plan) {
        events_.push_back("make " + std::to_string(family_));
    }
    ~DriverDouble() override { events_.push_back("delete " + std::to_string(family_)); }

    bool IsReady() const override { return plan_.ready; }
    int RunModal() override {
        std::string event = "run " + std::to_string(family_);
        if (kind_ >= 0)
            event += " as " + std::to_string(kind_);
        if (unit_.bootReloadPass != 0)
            event += " boot reload";
        if (unit_.autoFirstPass == 0)
            event += " second auto pass";
        events_.push_back(event);
        kind_ = plan_.kind;
        return plan_.result;
    }
    int UploadKind() const override { return kind_; }
    void SetUploadKind(int kind) override { kind_ = kind; }
    bool SecondPassNeeded() const override { return plan_.secondPass; }

  private:
    Strings& events_;
    const CGpsUnit& unit_;
    int family_;
    DriverPlan plan_;
    int kind_ = -1;
};

class UploadBench : public ::testing::Test {
  protected:
    using Bytes = samples::Bytes;

    UploadBench() {
        app.upload.driverFactory = [this](int family) { return CreateUploadDriver(family, app); };
    }
    void TearDown() override {
        EXPECT_TRUE(plans.empty()) << plans.size() << " planned drivers were never made";
        if (app.MainFrame() != nullptr)
            app.MainFrame()->Destroy();
    }

    // From here on the command makes doubles that play `plans` in turn.
    void UseDoubles() {
        app.upload.driverFactory = [this](int family) -> std::unique_ptr<UploadDriver> {
            if (plans.empty()) {
                ADD_FAILURE() << "no driver planned for family " << family;
                return nullptr;
            }
            DriverPlan plan = plans.front();
            plans.pop_front();
            return std::make_unique<DriverDouble>(events, unit, family, plan);
        };
    }

    // A receiver of this model (none given: as `adjust` makes it) on a port, replacing the
    // one there; `receiver` and `tap` are the last one plugged.
    sim::SimulatedReceiver& Plug(const std::string& model,
                                 const std::function<void(sim::ReceiverOptions&)>& adjust = {},
                                 int port = 0) {
        sim::ReceiverOptions options;
        if (!model.empty()) {
            EXPECT_TRUE(options.SetModel(model)) << model;
        }
        options.timing.pace = paced;
        if (adjust)
            adjust(options);
        receivers.push_back(std::make_unique<sim::SimulatedReceiver>(options));
        receiver = receivers.back().get();
        taps.push_back(std::make_unique<LineTap>(*receiver));
        tap = taps.back().get();
        bank.Attach(port, tap);
        return *receiver;
    }

    // The Upload command; the boxes it showed.
    Strings Upload() {
        ui.Log().Clear();
        events.clear();
        app.OnUpload();
        return ui.BoxTexts();
    }

    // Boxes that must appear, each "caption: text"; answered with OK.
    void ExpectBoxes(const Strings& boxes) {
        for (const std::string& box : boxes) {
            const std::size_t colon = box.find(": ");
            ui.OnMessageBox(box.substr(colon + 2), box.substr(0, colon)).Press(ui::IDOK);
        }
    }

    // The captions of the dialogs opened since the transcript was cleared, in order.
    Strings DialogsOpened() {
        Strings captions;
        for (const ui::TranscriptEntry& entry : ui.Log().Entries()) {
            if (entry.kind == ui::TranscriptEntry::Kind::DialogOpened)
                captions.push_back(entry.caption);
        }
        return captions;
    }
    std::string Last(const std::string& caption, int id) {
        const Strings history = ui.Log().ControlHistory(caption, id);
        return history.empty() ? std::string() : history.back();
    }

    static Bytes WriteImage(const std::string& name, const Bytes& bytes) {
        samples::WriteFile(name, bytes);
        return bytes;
    }
    Bytes Flash(std::uint32_t address, std::size_t size) const {
        return receiver->ReadFlash(address, size);
    }
    // Command sentences the host sent to the last receiver plugged.
    int Sent(const std::string& command) const { return tap->CountSentences(command); }

    TempWorkDir dir;  // first: the program reads its files from here
    ScriptedUi ui;
    platform::MemorySerialBank bank;
    bool paced = false;  // receivers answer at the pace of the real line
    std::vector<std::unique_ptr<sim::SimulatedReceiver>> receivers;
    std::vector<std::unique_ptr<LineTap>> taps;
    sim::SimulatedReceiver* receiver = nullptr;
    LineTap* tap = nullptr;
    std::deque<DriverPlan> plans;
    Strings events;
    CGpsUnit unit;  // after the receivers: the port closes before they go
    CUploaderApp app{unit};
};
