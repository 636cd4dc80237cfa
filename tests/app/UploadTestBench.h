#pragma once

// The Upload command in a test: the program started in a fresh working directory,
// simulated receivers on the memory ports, and upload drivers replaced by doubles that
// play a planned outcome and note what the command did with them.

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/CGpsUnit.h"
#include "app/CMainFrame.h"
#include "app/CUploaderApp.h"
#include "app/UploadDriver.h"
#include "platform/MemorySerialBank.h"
#include "sim/SimulatedReceiver.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempWorkDir.h"

namespace apptest {

inline constexpr char kConnect[] = "Establishing Communication with Receiver";
inline constexpr char kDatabaseType[] = "Determining Database Type";

// What one driver double does.
struct DriverPlan {
    bool ready = true;
    int result = ui::IDOK;
    int kind = 0;  // the upload kind it reports after its run
    bool secondPass = false;
};

class UploadTestBench;

class DriverDouble : public UploadDriver {
  public:
    DriverDouble(UploadTestBench& bench, int family, DriverPlan plan)
        : bench_(bench), family_(family), plan_(plan) {}
    ~DriverDouble() override;

    bool IsReady() const override { return plan_.ready; }
    int RunModal() override;
    int UploadKind() const override { return kind_; }
    void SetUploadKind(int kind) override { kind_ = kind; }
    bool SecondPassNeeded() const override { return plan_.secondPass; }

  private:
    UploadTestBench& bench_;
    int family_;
    DriverPlan plan_;
    int kind_ = -1;
};

class UploadTestBench : public ::testing::Test {
  protected:
    void SetUp() override {
        app.upload.driverFactory = [this](int family) -> std::unique_ptr<UploadDriver> {
            Note("make " + std::to_string(family));
            if (plans.empty()) {
                ADD_FAILURE() << "no driver planned for family " << family;
                return nullptr;
            }
            DriverPlan plan = plans.front();
            plans.pop_front();
            return std::make_unique<DriverDouble>(*this, family, plan);
        };
    }
    void TearDown() override {
        EXPECT_TRUE(plans.empty()) << plans.size() << " planned drivers were never made";
        if (app.MainFrame() != nullptr)
            app.MainFrame()->Destroy();
    }

    // Starts the program as it starts for a user.
    bool Start() { return app.InitInstance(); }

    // A receiver of this model on a port, sentence mode at 4800 bit/s.
    sim::SimulatedReceiver& Plug(const std::string& model, int port = 0,
                                 sim::ReceiverOptions options = {}) {
        if (!model.empty()) {
            EXPECT_TRUE(options.SetModel(model)) << model;
        }
        receivers.push_back(std::make_unique<sim::SimulatedReceiver>(options));
        bank.Attach(port, receivers.back().get());
        return *receivers.back();
    }

    // A box that must appear; answered with OK.
    void ExpectBox(const std::string& caption, const std::string& text) {
        ui.OnMessageBox(text, caption).Press(ui::IDOK);
    }

    // Boxes that must appear, each "caption: text"; answered with OK.
    void ExpectBoxes(const std::vector<std::string>& boxes) {
        for (const std::string& box : boxes) {
            std::size_t colon = box.find(": ");
            ExpectBox(box.substr(0, colon), box.substr(colon + 2));
        }
    }

    // What Seen() shows of identifying a receiver of this model.
    static std::vector<std::string> Identified(const std::string& model) {
        const std::string connect = kConnect, database = kDatabaseType;
        return {"open " + connect, "close " + connect + " 1", "status " + model, "open " + database,
                "close " + database + " 1"};
    }
    static std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
        std::vector<std::string> all;
        for (const std::vector<std::string>& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    }

    // What the user saw, without times: dialogs opening and closing, boxes, status texts,
    // and the drivers' runs.
    std::vector<std::string> Seen() {
        std::vector<std::string> seen;
        using Kind = ui::TranscriptEntry::Kind;
        for (const ui::TranscriptEntry& entry : ui.Log().Entries()) {
            if (entry.kind == Kind::DialogOpened)
                seen.push_back("open " + entry.caption);
            else if (entry.kind == Kind::DialogClosed)
                seen.push_back("close " + entry.caption + " " + std::to_string(entry.value));
            else if (entry.kind == Kind::MessageBox)
                seen.push_back("box " + entry.caption + ": " + entry.text);
            else if (entry.kind == Kind::Status)
                seen.push_back("status " + entry.text);
            else if (entry.kind == Kind::Action && entry.text.rfind("driver", 0) == 0)
                seen.push_back(entry.text);
        }
        return seen;
    }

  public:
    // Notes a driver event in the list and in the transcript, where it shows in order.
    void Note(const std::string& event) {
        events.push_back(event);
        ui::TranscriptEntry entry;
        entry.timeMs = ui.Clock().MonotonicMs();
        entry.kind = ui::TranscriptEntry::Kind::Action;
        entry.text = "driver " + event;
        ui.Log().Add(entry);
    }

    TempWorkDir dir;  // first: the program reads its files from here
    ScriptedUi ui;
    platform::MemorySerialBank bank;
    std::vector<std::unique_ptr<sim::SimulatedReceiver>> receivers;
    std::deque<DriverPlan> plans;
    std::vector<std::string> events;
    CGpsUnit unit;  // after the receivers: the port closes before they go
    CUploaderApp app{unit};
};

inline DriverDouble::~DriverDouble() {
    bench_.Note("delete " + std::to_string(family_));
}

inline int DriverDouble::RunModal() {
    const CUploaderApp& app = bench_.app;
    const CGpsUnit& unit = bench_.unit;
    const UploadDriver* held = family_ == 2   ? app.upload.databaseUpload.get()
                               : family_ == 5 ? app.upload.mapUpload4.get()
                               : family_ == 6 ? app.upload.mapUpload3.get()
                                              : app.upload.poiUpload.get();
    EXPECT_EQ(held, this) << "the application holds the running driver of family " << family_;
    std::string event = "run " + std::to_string(family_);
    if (kind_ >= 0)
        event += " as " + std::to_string(kind_);
    if (unit.bootReloadPass != 0)
        event += " boot reload";
    if (unit.autoFirstPass == 0)
        event += " second auto pass";
    bench_.Note(event);
    kind_ = plan_.kind;
    return plan_.result;
}

}  // namespace apptest
