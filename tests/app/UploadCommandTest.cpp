// The Upload command: identification of the receiver on the simulated line, then the
// sequence of its family, run with driver doubles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/SerialDiagnostics.h"
#include "res/Resource.h"
#include "tests/app/UploadTestBench.h"

using apptest::DriverPlan;
using apptest::kConnect;
using apptest::kDatabaseType;
using Strings = std::vector<std::string>;

namespace {

class UploadCommandTest : public apptest::UploadTestBench {
  protected:
    void SetUp() override {
        UploadTestBench::SetUp();
        ASSERT_TRUE(Start());
    }
    // Runs Upload from the menu with both files chosen.
    void Upload(int codeChosen = 1, int dataChosen = 1) {
        unit.codeChosen = codeChosen;
        unit.dataChosen = dataChosen;
        ui.Log().Clear();
        events.clear();
        ASSERT_TRUE(app.MainFrame()->RunCommand(ID_UPLOAD));
    }
    std::tuple<int, int> Chosen() const { return {unit.codeChosen, unit.dataChosen}; }
};

TEST_F(UploadCommandTest, SimpleSequenceReportsOnlySuccessAndClearsTheFilesOtherwise) {
    struct Case {
        const char* model;
        DriverPlan plan;
        Strings boxes;
        Strings events;
        std::tuple<int, int> chosen;
    } cases[] = {
        {"Pathwick", {}, {"STATUS: Upload complete"}, {"make 15", "run 15", "delete 15"}, {1, 1}},
        {"Pathwick", {.result = ui::IDCANCEL}, {}, {"make 15", "run 15", "delete 15"}, {0, 0}},
        {"Pathwick", {.ready = false}, {}, {"make 15", "delete 15"}, {0, 0}},
        // Family 6 forgets what it has sent, as family 5 does.
        {"Solvanta GPS", {}, {"STATUS: Upload complete"}, {"make 6", "run 6", "delete 6"}, {0, 1}},
        {"Solvanta GPS",
         {.kind = 2},
         {"STATUS: Upload complete"},
         {"make 6", "run 6", "delete 6"},
         {1, 0}},
        {"Solvanta GPS", {.result = ui::IDCANCEL}, {}, {"make 6", "run 6", "delete 6"}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        Plug(c.model);
        plans.push_back(c.plan);
        ExpectBoxes(c.boxes);
        Upload();
        EXPECT_EQ(ui.BoxTexts(), c.boxes);
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(Chosen(), c.chosen);
        EXPECT_EQ(app.MainFrame()->PaneText(0), c.model);
        // Every box of the command is the main window's, with OK and the information icon.
        for (const ui::TranscriptEntry* box : ui.Log().MessageBoxes())
            EXPECT_EQ(box->flags, unsigned{ui::MB_OK | ui::MB_ICONINFORMATION});
    }
}

TEST_F(UploadCommandTest, Family5ReportsWhatItUploadedAndClearsThatChoice) {
    struct Case {
        DriverPlan plan;
        std::tuple<int, int> chosenBefore;
        const char* box;  // nullptr: none
        std::tuple<int, int> chosenAfter;
    } cases[] = {
        {{.kind = 0}, {1, 0}, "Upload of CODE complete", {0, 0}},
        {{.kind = 1}, {1, 1}, "Upload of BASE MAP complete", {1, 0}},
        {{.kind = 2}, {0, 1}, "Upload of DETAIL MAP complete", {0, 0}},
        {{.kind = 3}, {1, 0}, "Upload complete", {1, 0}},
        {{.result = ui::IDCANCEL}, {1, 1}, nullptr, {0, 0}},
    };
    Plug("Pathwick Color");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plan.kind);
        plans.push_back(c.plan);
        if (c.box != nullptr)
            ExpectBox("STATUS", c.box);
        Upload(std::get<0>(c.chosenBefore), std::get<1>(c.chosenBefore));
        EXPECT_EQ(ui.BoxTexts(), c.box ? Strings{std::string("STATUS: ") + c.box} : Strings{});
        EXPECT_EQ(Chosen(), c.chosenAfter);
        EXPECT_EQ(events, (Strings{"make 5", "run 5", "delete 5"}));
    }
}

TEST_F(UploadCommandTest, Family5CodeWithAMapChosenIdentifiesAgainAndUploadsTheMap) {
    Plug("Pathwick Color");
    plans.push_back({.kind = 0});
    plans.push_back({.kind = 1});
    ExpectBox("STATUS", "Upload of CODE complete");
    ExpectBox("CONTINUE UPLOAD", "Power on GPS unit\nto upload map file.");
    ExpectBox("STATUS", "Upload of BASE MAP complete");
    Upload();
    const Strings identified = Identified("Pathwick Color");
    EXPECT_EQ(Seen(), Join({identified,
                            {"driver make 5", "driver run 5", "box STATUS: Upload of CODE complete",
                             "driver delete 5",
                             "box CONTINUE UPLOAD: Power on GPS unit\nto upload map file."},
                            identified,
                            {"driver make 5", "driver run 5 as 3",
                             "box STATUS: Upload of BASE MAP complete", "driver delete 5"}}));
    EXPECT_EQ(Chosen(), std::tuple(0, 0));
}

// The continuation runs only for family 5 found again with its database type known, and
// only on a driver that is ready; else the map stays chosen.
TEST_F(UploadCommandTest, MapContinuationNeedsFamily5FoundAgainAndAReadyDriver) {
    struct Case {
        const char* what;
        std::function<void()> atPowerOn;
        std::vector<DriverPlan> plans;
        Strings events;
    } cases[] = {
        {"scan cancelled",
         [this] {
             bank.Detach(0);
             ui.OnControlText(kConnect, IDC_STATUS_TEXT, "Using COM2 at 4800 baud")
                 .Press(ui::IDCANCEL);
         },
         {{.kind = 0}},
         {"make 5", "run 5", "delete 5"}},
        {"database type wait cancelled",
         [this] { ui.OnDialog(kDatabaseType).Press(ui::IDCANCEL); },
         {{.kind = 0}},
         {"make 5", "run 5", "delete 5"}},
        {"receiver of another family",
         [this] { Plug("Pathwick"); },
         {{.kind = 0}},
         {"make 5", "run 5", "delete 5"}},
        {"driver not ready",
         [] {},
         {{.kind = 0}, {.ready = false}},
         {"make 5", "run 5", "delete 5", "make 5", "delete 5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Plug("Pathwick Color");
        plans.insert(plans.end(), c.plans.begin(), c.plans.end());
        ExpectBox("STATUS", "Upload of CODE complete");
        ui.OnMessageBox("Power on GPS unit\nto upload map file.", "CONTINUE UPLOAD")
            .Run(c.atPowerOn)
            .Press(ui::IDOK);
        Upload();
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(Chosen(), std::tuple(0, 1));
    }
}

// What Expert Setup stores is what Upload uses: expert mode on skips the scan and runs the
// chosen model's driver on the chosen port; off, the receiver is identified again.
TEST_F(UploadCommandTest, ExpertSetupDecidesHowUploadReachesTheReceiver) {
    bank.Attach(1);
    ui.OnDialog("Expert Setup")
        .Press(IDC_EXPERT_UNIT_FIRST + 6)
        .Press(IDC_EXPERT_COM2)
        .Press(IDC_EXPERT_ON)
        .Press(ui::IDOK);
    ASSERT_TRUE(app.MainFrame()->RunCommand(ID_EXPERT));
    plans.push_back({});
    ExpectBoxes({"REMINDER: Expert upload mode is turned ON.", "STATUS: Upload complete"});
    Upload(1, 0);
    EXPECT_EQ(events, (Strings{"make 15", "run 15", "delete 15"}));
    EXPECT_EQ(ui.Log().Count(kConnect), 0);
    EXPECT_EQ(unit.comIndex, 1);

    Plug("Pathwick Color");
    ui.OnDialog("Expert Setup").Press(IDC_EXPERT_OFF).Press(ui::IDOK);
    ASSERT_TRUE(app.MainFrame()->RunCommand(ID_EXPERT));
    plans.push_back({.kind = 3});
    ExpectBox("STATUS", "Upload complete");
    Upload(1, 0);
    EXPECT_EQ(events, (Strings{"make 5", "run 5", "delete 5"}));
}

TEST_F(UploadCommandTest, AutomaticUploadNeverContinuesWithTheMap) {
    Plug("Pathwick Color");
    plans.push_back({.kind = 0});
    ExpectBox("STATUS", "Upload of CODE complete");
    unit.autoUpload = 1;
    Upload();
    EXPECT_EQ(events, (Strings{"make 5", "run 5", "delete 5"}));
    EXPECT_EQ(Chosen(), std::tuple(0, 1));
}

TEST_F(UploadCommandTest, Family2ReloadsTheBootLoaderWhenTheDriverAsks) {
    struct Case {
        DriverPlan first;
        DriverPlan second;
        Strings boxes;
        Strings events;
        std::tuple<int, int> chosen;
    } cases[] = {
        {{.kind = 0, .secondPass = true},
         {},
         {"STATUS: Upload of CODE complete",
          "Reload Boot Loader: Power on unit to continue loading\nand click OK",
          "STATUS: Upload complete"},
         {"make 2", "run 2", "delete 2", "make 2", "run 2 boot reload", "delete 2"},
         {0, 1}},
        // A cancelled first run still reloads the boot loader, outside the reload pass.
        {{.result = ui::IDCANCEL, .secondPass = true},
         {.result = ui::IDCANCEL},
         {"Reload Boot Loader: Power on unit to continue loading\nand click OK"},
         {"make 2", "run 2", "delete 2", "make 2", "run 2", "delete 2"},
         {1, 1}},
        {{.kind = 1},
         {},
         {"STATUS: Upload of DATABASE complete"},
         {"make 2", "run 2", "delete 2"},
         {1, 0}},
        {{.result = ui::IDCANCEL}, {}, {}, {"make 2", "run 2", "delete 2"}, {1, 1}},
    };
    Plug("GPS7K1/7K2");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.events.size());
        plans.push_back(c.first);
        if (c.first.secondPass)
            plans.push_back(c.second);
        ExpectBoxes(c.boxes);
        Upload();
        EXPECT_EQ(ui.BoxTexts(), c.boxes);
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(Chosen(), c.chosen);
        EXPECT_EQ(unit.bootReloadPass, 0);
    }
}

TEST_F(UploadCommandTest, ExpertModeSkipsIdentificationAndRunsTheChosenFamily) {
    struct Case {
        int family;
        bool portThere;
        Strings boxes;
        Strings events;
    } cases[] = {
        {0, true, {"REMINDER: Expert upload mode is turned ON."}, {}},
        {1, true, {"REMINDER: Expert upload mode is turned ON."}, {}},
        {5,
         true,
         {"REMINDER: Expert upload mode is turned ON.", "STATUS: Upload complete"},
         {"make 5", "run 5", "delete 5"}},
        // The driver is started even when the port did not open.
        {15,
         false,
         {"ERROR: COULD NOT OPEN COM PORT", "REMINDER: Expert upload mode is turned ON.",
          "STATUS: Upload complete"},
         {"make 15", "run 15", "delete 15"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.family);
        unit.Close();
        if (c.portThere)
            bank.Attach(2);
        else
            bank.Detach(2);
        unit.expertMode = 1;
        unit.family = c.family;
        unit.comIndex = 2;
        if (!c.events.empty())
            plans.push_back({.kind = 9});
        ExpectBoxes(c.boxes);
        Upload(1, 0);  // no map: no continuation
        EXPECT_EQ(ui.BoxTexts(), c.boxes);
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(ui.Log().Count("dialog"), 0);
    }
}

TEST_F(UploadCommandTest, UnsupportedReceiverOrCancelledScanEndsBeforeAnyDriver) {
    sim::ReceiverOptions unknown;
    unknown.SetUnknownCode("099");
    Plug("", 0, unknown);
    ExpectBox("ERROR", "UNSUPPORTED RECEIVER");
    Upload();
    EXPECT_EQ(app.MainFrame()->PaneText(0), "Connected receiver not supported");
    EXPECT_EQ(ui.Log().Count(kDatabaseType), 0);

    bank.Detach(0);
    ui.OnDialog(kConnect).After(3000).Press(ui::IDCANCEL);
    Upload();
    EXPECT_TRUE(ui.Log().MessageBoxes().empty());
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(Chosen(), std::tuple(1, 1));
}

TEST_F(UploadCommandTest, SmallMapInTheHeaderMakesASolvantaTheFamily6Receiver) {
    sim::ReceiverOptions solvanta;
    solvanta.SetModel("Solvanta");
    solvanta.mapHeader = "MAP,BASE,DEMOMAP,1.00,12";
    Plug("", 0, solvanta);
    plans.push_back({});
    ExpectBox("STATUS", "Upload complete");
    Upload();
    EXPECT_EQ(events, (Strings{"make 6", "run 6", "delete 6"}));
    EXPECT_EQ(ui.Log().StatusTexts(), (Strings{"Solvanta", "Solvanta GPS"}));
}

// A scan that finds nothing says on the status line what it met at each port, once round
// them all and when cancelled; after an upload that did not complete, that the receiver
// may wait in its loader.
TEST_F(UploadCommandTest, ScanThatFindsNothingSaysWhatItMetAtEachPort) {
    Plug("Pathwick");
    plans.push_back({.result = ui::IDCANCEL});
    Upload();
    bank.Detach(0);
    bank.Attach(0);  // a device without a receiver behind it
    platform::SerialDiagnostics::NamePort(0, "/dev/ttyUSB0");
    platform::SerialDiagnostics::NamePort(1, "/dev/ttyUSB1");
    platform::SerialDiagnostics::Failure("open", "/dev/ttyUSB1", EBUSY);
    // Round every port (COM1 two ticks per speed, the others one) and into COM1 again.
    ui.OnDialog(kConnect).After(21500).Press(ui::IDCANCEL);
    Upload();
    platform::SerialDiagnostics::Clear();
    const std::string said =
        "No receiver found. COM1 (/dev/ttyUSB0): no answer at any speed; COM2: open "
        "/dev/ttyUSB1: " +
        platform::SerialDiagnostics::Describe(EBUSY) +
        "; COM3: missing; COM4: missing. The receiver may be "
        "waiting in its loader after the upload that did not complete: choose it in Expert "
        "Setup and upload again.";
    EXPECT_EQ(ui.Log().StatusTexts().back(), said);
    const Strings statuses = ui.Log().StatusTexts();
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), said), 1);  // round once, then cancel
}

// A second receiver plugged in later must not pass for the first: its identification and
// header wait start from nothing it has not said itself. It is waited for as long as the
// user wants; after a while the status line says so, until the dialog ends.
TEST_F(UploadCommandTest, NothingHeardFromAnEarlierReceiverSatisfiesTheNextIdentification) {
    Plug("Pathwick Color");
    plans.push_back({.kind = 3});
    ExpectBox("STATUS", "Upload complete");
    Upload(0, 0);
    ASSERT_FALSE(unit.mapHeader.empty());

    // The next receiver never answers the map header query.
    sim::ReceiverOptions silent;
    silent.SetModel("Solvanta");
    silent.mapHeader.clear();
    Plug("", 0, silent);
    ui.OnControlText(kDatabaseType, IDC_ELAPSED_TEXT, "00:00:17").Press(ui::IDCANCEL);
    Upload();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(unit.unitName, "Solvanta");
    EXPECT_EQ(unit.mapHeader, "");
    EXPECT_EQ(
        ui.Log().StatusTexts(),
        (Strings{"Solvanta", "The receiver has not answered for 15 seconds. Cancel stops waiting.",
                 "Solvanta"}));
}

}  // namespace
