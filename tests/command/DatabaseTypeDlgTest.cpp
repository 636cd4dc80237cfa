// The database-type dialog: it asks for the one header the identified model keeps and
// waits for it, counting the elapsed time.
#include "command/CDatabaseTypeDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/CGpsUnit.h"
#include "platform/MemorySerialBank.h"
#include "res/Resource.h"
#include "sim/SimulatedReceiver.h"
#include "tests/support/ScriptedUi.h"

namespace {

constexpr const char* kCaption = "Determining Database Type";

class DatabaseTypeDlgTest : public ::testing::Test {
  protected:
    void SetUp() override { theUnit.ResetForStart(); }
    void TearDown() override { theUnit.ResetForStart(); }

    // A receiver of this model on COM2 at 9600, identified, with the channel open.
    void Identify(const std::string& model, sim::ReceiverOptions options = {}) {
        ASSERT_TRUE(options.SetModel(model) || model.empty());
        options.sentenceSpeed = 9600;
        options.log = [this](const std::string& line) {
            static constexpr std::string_view kIn = "sentence in: ";
            if (std::size_t at = line.find(kIn); at != std::string::npos)
                heard.push_back(line.substr(at + kIn.size()));
        };
        receiver = std::make_unique<sim::SimulatedReceiver>(options);
        bank.Attach(1, receiver.get());
        theUnit.Open(1, 9600, false);
        theUnit.SendSentence("CMD,VERSION");
        ui.Clock().Advance(100);
        ASSERT_TRUE(theUnit.PollReplies());
        heard.clear();
    }
    int Heard(const std::string& command) const {
        return static_cast<int>(std::count(heard.begin(), heard.end(), command));
    }
    std::uint64_t ClosedAt() {
        for (const ui::TranscriptEntry& entry : ui.Log().Entries()) {
            if (entry.kind == ui::TranscriptEntry::Kind::DialogClosed)
                return entry.timeMs;
        }
        return 0;
    }

    ScriptedUi ui;
    platform::MemorySerialBank bank;
    std::unique_ptr<sim::SimulatedReceiver> receiver;
    std::vector<std::string> heard;
};

TEST_F(DatabaseTypeDlgTest, PoiModelAsksOnlyForThePoiHeaderAndWaitsForIt) {
    sim::ReceiverOptions options;
    sim::FaultSpec silence;
    std::string error;
    // Deaf from the first header query (0.1 s) to 2.6 s.
    ASSERT_TRUE(sim::FaultSpec::Parse("silence:on=sentence,at=2,for=2500", silence, error));
    options.faults.push_back(silence);
    Identify("Pathwick", options);

    CDatabaseTypeDlg dialog;
    EXPECT_EQ(dialog.unitText, "Pathwick on COM2");
    EXPECT_EQ(dialog.elapsedText, "00:00:00");
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);

    EXPECT_EQ(theUnit.poiHeader.substr(0, 12), "001,POI,1.00");
    EXPECT_EQ(theUnit.mapHeader, "");
    EXPECT_EQ(Heard("CMD,MPH"), 0);
    // Asked when shown and twice a tick: the first query is heard (and starts the
    // silence), those of the third tick are answered, the fourth tick reads the answer
    // and still asks twice.
    EXPECT_EQ(Heard("CMD,PIH"), 5);
    EXPECT_EQ(ClosedAt() - 100, 4000u);
    EXPECT_EQ(
        ui.Log().ControlHistory(kCaption, IDC_ELAPSED_TEXT),
        (std::vector<std::string>{"", "00:00:00", "00:00:01", "00:00:02", "00:00:03", "00:00:04"}));
    EXPECT_EQ(ui.Log().ControlHistory(kCaption, IDC_STATUS_TEXT).back(), "Pathwick on COM2");
}

TEST_F(DatabaseTypeDlgTest, MapModelAsksOnlyForTheMapHeader) {
    Identify("Pathwick Color");
    CDatabaseTypeDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(ClosedAt() - 100, 1000u);
    EXPECT_EQ(theUnit.mapHeader.substr(0, 29), "MAP,BASE,DEMOMAP,1.00,2600000");
    EXPECT_EQ(Heard("CMD,PIH"), 0);
    EXPECT_GE(Heard("CMD,MPH"), 1);
}

TEST_F(DatabaseTypeDlgTest, HeaderFromEarlierInTheRunIsEnoughOnceAnySentenceIsRecognised) {
    sim::ReceiverOptions options;
    options.SetModel("Pathwick Color");
    options.mapHeader.clear();  // the header query goes unanswered
    Identify("", options);
    theUnit.mapHeader = "earlier";
    theUnit.SendSentence("CMD,VERSION");  // a late version reply is recognised instead
    CDatabaseTypeDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(ClosedAt() - 100, 1000u);
    EXPECT_EQ(theUnit.mapHeader, "earlier");
}

TEST_F(DatabaseTypeDlgTest, HeaderThatNeverComesKeepsItWaitingUntilCancel) {
    sim::ReceiverOptions options;
    options.SetModel("Pathwick Color");
    options.mapHeader.clear();
    Identify("", options);
    theUnit.autoUpload = 1;
    theUnit.SendSentence("CMD,VERSION");  // recognised, but the map header is missing
    ui.OnDialog(kCaption).After(3725500).Press(ui::IDCANCEL);
    CDatabaseTypeDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(theUnit.autoUpload, 0);
    EXPECT_EQ(ui.Log().ControlHistory(kCaption, IDC_ELAPSED_TEXT).back(), "01:02:05");
}

TEST(DatabaseTypeDlgFormat, ElapsedTimeWrapsAtADayAndNeverRunsBackwards) {
    EXPECT_EQ(CDatabaseTypeDlg::FormatElapsed(0), "00:00:00");
    EXPECT_EQ(CDatabaseTypeDlg::FormatElapsed(3600 * 23 + 60 * 59 + 59), "23:59:59");
    EXPECT_EQ(CDatabaseTypeDlg::FormatElapsed(3600 * 25 + 1), "01:00:01");
    EXPECT_EQ(CDatabaseTypeDlg::FormatElapsed(-30), "00:00:00");
}

}  // namespace
