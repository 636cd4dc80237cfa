// The database-type dialog: it asks for the one header the identified model keeps and
// waits for it, counting the elapsed time.
#include "command/CDatabaseTypeDlg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/CGpsUnit.h"
#include "platform/MemorySerialBank.h"
#include "res/Resource.h"
#include "tests/command/ReplyText.h"
#include "tests/command/TestReceiver.h"
#include "tests/support/ScriptedUi.h"

namespace {

constexpr const char* kCaption = "Determining Database Type";

class DatabaseTypeDlgTest : public ::testing::Test {
  protected:
    void SetUp() override { theUnit.ResetForStart(); }
    void TearDown() override { theUnit.ResetForStart(); }

    // A receiver of this product code on COM2 at 9600, identified and the channel open.
    void Identify(const std::string& code) {
        bank.Attach(1, &receiver);
        receiver.versionReply = replytext::Version(code, "1.00");
        theUnit.Open(1, 9600, false);
        ASSERT_EQ(theUnit.isOpen, 1);
        theUnit.SendSentence("CMD,VERSION");
        ASSERT_TRUE(theUnit.PollReplies());
        receiver.commands.clear();
    }
    std::uint64_t ClosedAt() {
        for (const ui::TranscriptEntry& entry : ui.Log().Entries()) {
            if (entry.kind == ui::TranscriptEntry::Kind::DialogClosed)
                return entry.timeMs;
        }
        return 0;
    }

    TestReceiver receiver{9600};
    ScriptedUi ui;
    platform::MemorySerialBank bank;
};

TEST_F(DatabaseTypeDlgTest, PoiModelAsksOnlyForThePoiHeaderAndWaitsForIt) {
    Identify("037");
    receiver.poiReply = replytext::Sentence("PXRVPOI,POI-V7");
    receiver.mapReply = replytext::Sentence("PXRVMPH,never");
    receiver.answerHeadersFrom = 6;  // three ticks of asking twice, besides the first ask

    CDatabaseTypeDlg dialog;
    EXPECT_EQ(dialog.unitText, "Pathwick on COM2");
    EXPECT_EQ(dialog.elapsedText, "00:00:00");
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);

    EXPECT_EQ(theUnit.poiHeader.substr(0, 6), "POI-V7");
    EXPECT_EQ(theUnit.mapHeader, "");
    EXPECT_EQ(receiver.Count("CMD,MPH"), 0);
    // Asked when shown, then twice a tick (refresh and tick); answered at the sixth ask,
    // read at the fourth tick.
    EXPECT_EQ(ClosedAt(), 4000u);
    EXPECT_EQ(
        ui.Log().ControlHistory(kCaption, IDC_ELAPSED_TEXT),
        (std::vector<std::string>{"", "00:00:00", "00:00:01", "00:00:02", "00:00:03", "00:00:04"}));
    EXPECT_EQ(ui.Log().ControlHistory(kCaption, IDC_STATUS_TEXT).back(), "Pathwick on COM2");
}

TEST_F(DatabaseTypeDlgTest, MapModelAsksOnlyForTheMapHeader) {
    Identify("041");
    receiver.mapReply = replytext::Sentence("PXRVMPH,1,2,Alps,V9,3000000");
    CDatabaseTypeDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(ClosedAt(), 1000u);
    EXPECT_EQ(theUnit.mapHeader.substr(0, 20), "1,2,Alps,V9,3000000*");
    EXPECT_EQ(receiver.Count("CMD,PIH"), 0);
    EXPECT_GE(receiver.Count("CMD,MPH"), 1);
}

TEST_F(DatabaseTypeDlgTest, HeaderFromEarlierInTheRunIsEnoughOnceAnySentenceIsRecognised) {
    Identify("041");
    theUnit.mapHeader = "earlier";
    // The receiver does not answer the header query; a late version reply comes instead.
    theUnit.SendSentence("CMD,VERSION");
    CDatabaseTypeDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(ClosedAt(), 1000u);
    EXPECT_EQ(theUnit.mapHeader, "earlier");
}

TEST_F(DatabaseTypeDlgTest, HeaderThatNeverComesKeepsItWaitingUntilCancel) {
    Identify("041");
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
