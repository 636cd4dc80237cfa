// Whatever the receiver does wrong, a whole upload through the Upload command ends
// with the flash equal to the image or with a message and no "Upload complete".
#include <ostream>
#include <string>
#include <vector>

#include "dialogs/CUploadFileDlg.h"
#include "tests/drivers/DriverFixture.h"

namespace {

struct FaultCase {
    const char* name;
    const char* model;  // "Pathwick": addressed records; "Solvanta GPS": numbered records
    const char* fault;
};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.model << " with " << c.fault;
}

class FaultMatrix : public DriverFixture, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultMatrix, EndsWithTheImageInFlashOrWithoutCompletion) {
    const FaultCase& c = GetParam();
    StartReceiver(c.model, [&](sim::ReceiverOptions& o) {
        std::string error;
        ASSERT_TRUE(sim::FaultRule::Parse(c.fault, o.faults.emplace_back(), error)) << error;
    });
    const bool map = std::string(c.model) != "Pathwick";
    const Bytes image =
        WriteImage("data", map ? samples::MapImage("DEMOMAP", "1.00", 4000, 25000, 2)
                               : samples::PoiDatabase(25000, 2));
    unit.dataPath = "data";
    // A detail map goes in numbered records, a POI database in addressed ones.
    ui.OnDialog(map ? "Select upload type" : "Pathwick - select upload type")
        .Press(map ? IDC_MAP3_DETAIL : IDC_POI_TYPE_POI);
    ui.OnDialog(kUploadFile).Optional().Press(CUploadFileDlg::kUploadFile);
    // A receiver that never finishes is given up by the user after a long wait; the
    // stop warning and every report are answered with OK.
    ui.OnDialog(kUploadStatus).Optional().After(30 * 60 * 1000).Press(ui::IDCANCEL);
    ui.OnDialog(kConnect).Optional().After(10 * 60 * 1000).Press(ui::IDCANCEL);
    ui.OnDialog(kProtocol).Optional().After(10 * 60 * 1000).Press(ui::IDCANCEL);
    ui.OnMessageBoxContaining("").Repeat().Press(ui::IDOK);

    app.OnUpload();

    const std::vector<std::string> boxes = ui.BoxTexts();
    const bool complete = !boxes.empty() && boxes.back() == "STATUS: Upload complete";
    if (complete) {
        EXPECT_EQ(Flash(0, image.size()), image) << ui.Log().Dump();
    } else {
        EXPECT_FALSE(boxes.empty()) << "the run ended without a word: " << ui.Log().Dump();
        for (const std::string& box : boxes)
            EXPECT_EQ(box.find("complete"), std::string::npos) << box;
    }
}

const FaultCase kFaultCases[] = {
    {"addressed_resends", "Pathwick", "resend:code=85,every=7"},
    {"addressed_resend_81", "Pathwick", "resend81:at=2,count=3"},
    {"addressed_lost_ack", "Pathwick", "lostack:at=3"},
    {"addressed_lost_programmed", "Pathwick", "lostack:at=4,which=programmed"},
    {"addressed_record_number", "Pathwick", "recnum:at=2"},
    {"addressed_debug", "Pathwick", "debug:every=5"},
    {"addressed_reset", "Pathwick", "reset:at=4"},
    {"addressed_write_fail", "Pathwick", "fail:at=3"},
    {"addressed_erase_fail", "Pathwick", "fail:on=erase,at=1"},
    {"addressed_bad_type", "Pathwick", "badtype:on=handshake,at=1"},
    {"addressed_bad_command", "Pathwick", "badcmd:on=erase,at=1"},
    {"addressed_garbage", "Pathwick", "garbage:on=reply,every=9"},
    {"addressed_pause", "Pathwick", "silence:at=5,for=5000"},
    {"addressed_silent_for_good", "Pathwick", "silence:at=5"},
    {"addressed_disconnect", "Pathwick", "disconnect:at=5"},
    {"numbered_resends", "Solvanta GPS", "resend:code=85,every=7"},
    {"numbered_lost_ack", "Solvanta GPS", "lostack:at=3"},
    {"numbered_record_number", "Solvanta GPS", "recnum:at=2"},
    {"numbered_reset", "Solvanta GPS", "reset:at=4"},
    {"numbered_write_fail", "Solvanta GPS", "fail:at=3"},
    {"numbered_garbage", "Solvanta GPS", "garbage:on=reply,every=9"},
    {"numbered_silent_for_good", "Solvanta GPS", "silence:at=5"},
    {"numbered_disconnect", "Solvanta GPS", "disconnect:at=5"},
    {"numbered_drop", "Solvanta GPS", "drop:at=3"},
};

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(kFaultCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
