// The Upload command: identification of the receiver on the simulated line, then the
// sequence of its family, run with driver doubles.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "tests/drivers/UploadBench.h"

namespace {

class UploadCommandTest : public UploadBench {
  protected:
    void SetUp() override {
        UseDoubles();
        ASSERT_TRUE(app.InitInstance());
    }
    // Runs Upload from the menu with these files chosen.
    void Upload(int codeChosen = 1, int dataChosen = 1) {
        unit.codeChosen = codeChosen;
        unit.dataChosen = dataChosen;
        ui.Log().Clear();
        events.clear();
        ASSERT_TRUE(app.MainFrame()->RunCommand(ID_UPLOAD));
    }
    std::tuple<int, int> Chosen() const { return {unit.codeChosen, unit.dataChosen}; }
};

// Each family's sequence: success alone is reported, with what was uploaded where the
// family tells; what was sent (or everything, when the run did not complete) is no longer
// chosen. Family 2 reloads the boot loader when its driver asks, outside the reload pass
// when the first run was cancelled.
TEST_F(UploadCommandTest, EachFamilyReportsOnlySuccessAndClearsWhatItSent) {
    const Strings pathwick = {"make 15", "run 15", "delete 15"};
    const Strings family6 = {"make 6", "run 6", "delete 6"};
    const Strings family5 = {"make 5", "run 5", "delete 5"};
    const Strings family2 = {"make 2", "run 2", "delete 2"};
    const Strings done = {"STATUS: Upload complete"};
    const std::string code = "STATUS: Upload of CODE complete";
    const std::string base = "STATUS: Upload of BASE MAP complete";
    const std::string detail = "STATUS: Upload of DETAIL MAP complete";
    const std::string database = "STATUS: Upload of DATABASE complete";
    const std::string reload =
        "Reload Boot Loader: Power on unit to continue loading\nand click OK";
    struct Case {
        const char* model;
        std::vector<DriverPlan> plans;
        std::tuple<int, int> chosenBefore;
        Strings boxes;
        Strings events;
        std::tuple<int, int> chosenAfter;
    } cases[] = {
        {"Pathwick", {{}}, {1, 1}, done, pathwick, {1, 1}},
        {"Pathwick", {{.result = ui::IDCANCEL}}, {1, 1}, {}, pathwick, {0, 0}},
        {"Pathwick", {{.ready = false}}, {1, 1}, {}, {"make 15", "delete 15"}, {0, 0}},
        // Family 6 forgets what it has sent, as family 5 does.
        {"Solvanta GPS", {{}}, {1, 1}, done, family6, {0, 1}},
        {"Solvanta GPS", {{.kind = 2}}, {1, 1}, done, family6, {1, 0}},
        {"Solvanta GPS", {{.result = ui::IDCANCEL}}, {1, 1}, {}, family6, {0, 0}},
        {"Pathwick Color", {{.kind = 0}}, {1, 0}, {code}, family5, {0, 0}},
        {"Pathwick Color", {{.kind = 1}}, {1, 1}, {base}, family5, {1, 0}},
        {"Pathwick Color", {{.kind = 2}}, {0, 1}, {detail}, family5, {0, 0}},
        {"Pathwick Color", {{.kind = 3}}, {1, 0}, done, family5, {1, 0}},
        {"Pathwick Color", {{.result = ui::IDCANCEL}}, {1, 1}, {}, family5, {0, 0}},
        // A cancelled first run still reloads the boot loader, outside the reload pass.
        {"GPS7K1/7K2",
         {{.result = ui::IDCANCEL, .secondPass = true}, {.result = ui::IDCANCEL}},
         {1, 1},
         {reload},
         {"make 2", "run 2", "delete 2", "make 2", "run 2", "delete 2"},
         {1, 1}},
        {"GPS7K1/7K2", {{.kind = 1}}, {1, 1}, {database}, family2, {1, 0}},
        {"GPS7K1/7K2", {{.result = ui::IDCANCEL}}, {1, 1}, {}, family2, {1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model + (" " + std::to_string(c.events.size())));
        Plug(c.model);
        plans.assign(c.plans.begin(), c.plans.end());
        ExpectBoxes(c.boxes);
        Upload(std::get<0>(c.chosenBefore), std::get<1>(c.chosenBefore));
        EXPECT_EQ(ui.BoxTexts(), c.boxes);
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(Chosen(), c.chosenAfter);
        EXPECT_EQ(unit.bootReloadPass, 0);
        EXPECT_EQ(app.MainFrame()->PaneText(0), c.model);
        // Every box of the command is the main window's, with OK and the information icon.
        for (const ui::TranscriptEntry* box : ui.Log().MessageBoxes())
            EXPECT_EQ(box->flags, unsigned{ui::MB_OK | ui::MB_ICONINFORMATION});
    }
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
        ExpectBoxes({"STATUS: Upload of CODE complete"});
        ui.OnMessageBox("Power on GPS unit\nto upload map file.", "CONTINUE UPLOAD")
            .Run(c.atPowerOn)
            .Press(ui::IDOK);
        Upload();
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(Chosen(), std::tuple(0, 1));
    }
}

// What Expert Setup stores is what Upload uses: expert mode on skips the scan and runs the
// chosen model's driver on the chosen port, even one that does not open (after saying so);
// off, the receiver is identified again.
TEST_F(UploadCommandTest, ExpertSetupDecidesHowUploadReachesTheReceiver) {
    ui.OnDialog("Expert Setup")
        .Press(IDC_EXPERT_UNIT_FIRST + 6)
        .Press(IDC_EXPERT_COM2)
        .Press(IDC_EXPERT_ON)
        .Press(ui::IDOK);
    ASSERT_TRUE(app.MainFrame()->RunCommand(ID_EXPERT));
    plans.push_back({});
    const Strings boxes = {"ERROR: COULD NOT OPEN COM PORT",
                           "REMINDER: Expert upload mode is turned ON.", "STATUS: Upload complete"};
    ExpectBoxes(boxes);
    Upload(1, 0);
    EXPECT_EQ(ui.BoxTexts(), boxes);
    EXPECT_EQ(events, (Strings{"make 15", "run 15", "delete 15"}));
    EXPECT_EQ(ui.Log().Count("dialog"), 0);
    EXPECT_EQ(unit.comIndex, 1);

    Plug("Pathwick Color");
    ui.OnDialog("Expert Setup").Press(IDC_EXPERT_OFF).Press(ui::IDOK);
    ASSERT_TRUE(app.MainFrame()->RunCommand(ID_EXPERT));
    plans.push_back({.kind = 3});
    ExpectBoxes({"STATUS: Upload complete"});
    Upload(1, 0);
    EXPECT_EQ(events, (Strings{"make 5", "run 5", "delete 5"}));
}

TEST_F(UploadCommandTest, UnsupportedReceiverOrCancelledScanEndsBeforeAnyDriver) {
    Plug("", [](sim::ReceiverOptions& o) { o.SetUnknownCode("099"); });
    ExpectBoxes({"ERROR: UNSUPPORTED RECEIVER"});
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

}  // namespace
