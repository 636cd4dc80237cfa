// The database-type dialog: it asks for the one header the identified model keeps and
// waits for it, counting the elapsed time.
#include "command/CDatabaseTypeDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/CGpsUnit.h"
#include "platform/MemorySerialBank.h"
#include "res/Resource.h"
#include "sim/SimulatedReceiver.h"
#include "tests/support/ScriptedUi.h"

namespace {

class DatabaseTypeDlgTest : public ::testing::Test {
  protected:
    // Identifies the receiver on COM2 and runs the dialog: its result and how long it showed.
    std::pair<int, std::uint64_t> Run(const std::string& model, sim::ReceiverOptions options,
                                      const std::string& mapHeader = "") {
        unit.ResetForStart();
        EXPECT_TRUE(options.SetModel(model) || model.empty());
        options.log = [this](const std::string& line) {
            if (std::size_t at = line.find("sentence in: "); at != std::string::npos)
                heard.push_back(line.substr(at + 13));
        };
        sim::SimulatedReceiver receiver(options);
        bank.Attach(1, &receiver);
        unit.Open(1, 4800, false);
        unit.SendSentence("CMD,VERSION");
        ui.Clock().Advance(100);
        EXPECT_TRUE(unit.PollReplies());
        heard.clear();
        unit.mapHeader = mapHeader;
        if (!mapHeader.empty())
            unit.SendSentence("CMD,VERSION");  // a late version reply is recognised
        std::uint64_t start = ui.Clock().MonotonicMs();
        CDatabaseTypeDlg dialog(unit, unit.autoUpload);
        int result = dialog.DoModal();
        unit.Close();
        return {result, ui.Clock().MonotonicMs() - start};
    }
    int Heard(const std::string& command) const {
        return static_cast<int>(std::count(heard.begin(), heard.end(), command));
    }

    ScriptedUi ui;
    platform::MemorySerialBank bank;
    CGpsUnit unit;  // after the bank: the port closes before its device goes
    std::vector<std::string> heard;
};

TEST_F(DatabaseTypeDlgTest, PoiModelAsksOnlyForThePoiHeaderAndWaitsForIt) {
    sim::ReceiverOptions options;
    sim::FaultRule silence;
    std::string error;
    // Deaf from the first header query (0.1 s) to 2.6 s.
    ASSERT_TRUE(sim::FaultRule::Parse("silence:on=sentence,at=2,for=2500", silence, error));
    options.faults.push_back(silence);
    EXPECT_EQ(Run("Pathwick", options), std::pair(int{ui::IDOK}, std::uint64_t{4000}));
    EXPECT_EQ(unit.poiHeader.substr(0, 12), "001,POI,1.00");
    EXPECT_EQ(Heard("CMD,MPH"), 0);
    // Asked when shown and twice a tick: the first query is heard (the silence starts),
    // those of the third tick are answered, the fourth reads the answer and asks twice.
    EXPECT_EQ(Heard("CMD,PIH"), 5);
    const char* caption = "Determining Database Type";
    EXPECT_EQ(
        ui.Log().ControlHistory(caption, IDC_ELAPSED_TEXT),
        (std::vector<std::string>{"", "00:00:00", "00:00:01", "00:00:02", "00:00:03", "00:00:04"}));
    EXPECT_EQ(ui.Log().ControlHistory(caption, IDC_STATUS_TEXT).back(), "Pathwick on COM2");
    // The hours wrap at a day; a wall clock set back shows zero.
    EXPECT_EQ(CDatabaseTypeDlg::FormatElapsed(3600 * 25 + 61), "01:01:01");
    EXPECT_EQ(CDatabaseTypeDlg::FormatElapsed(-30), "00:00:00");
}

// The header query of a map model goes unanswered: one from earlier in the run is enough.
TEST_F(DatabaseTypeDlgTest, MapModelAsksOnlyForTheMapHeaderAndTakesOneFromEarlier) {
    sim::ReceiverOptions options;
    options.SetModel("Pathwick Color");
    options.mapHeader.clear();
    EXPECT_EQ(Run("", options, "earlier"), std::pair(int{ui::IDOK}, std::uint64_t{1000}));
    EXPECT_EQ(unit.mapHeader, "earlier");
    EXPECT_EQ(Heard("CMD,PIH"), 0);
    EXPECT_GE(Heard("CMD,MPH"), 1);
}

}  // namespace
