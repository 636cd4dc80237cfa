// Whole uploads of every family and kind against the simulated receiver: the flash holds
// the image afterwards, the user saw the dialogs in order, and the percentage reached 100.
#include <string>
#include <vector>

#include "dialogs/CUploadFileDlg.h"
#include "tests/drivers/UploadBench.h"
#include "tests/support/NamedCase.h"

namespace {

enum class Pick { CodeFlag, DataFlag, BothFlags, Select };

struct Case : NamedCase {
    const char* model;
    const char* firmware;
    Pick pick;
    int selectButton;  // with Pick::Select
    const char* done;  // the Upload command's message at the end
    const char* sentence;
    const char* currentFile;  // the text's start when the dialog closed
    bool sendsCode;
    bool sendsData;
};

constexpr char kComplete[] = "Upload complete";

const Case kCases[] = {
    {"poi_code", "Pathwick", "2.05", Pick::CodeFlag, 0, kComplete, "CMD,DBUPLOAD",
     "Uploading code file -  code", true, false},
    {"poi_database", "Pathwick", "2.05", Pick::Select, IDC_POI_TYPE_POI, kComplete, "CMD,PIUPLOAD",
     "Uploading POI file - data", false, true},
    {"db_code", "GPS7K1/7K2", "3.00", Pick::Select, IDC_DB_TYPE_CODE, "Upload of CODE complete",
     "CMD,DBUPLOAD", "Uploading code file -  code", true, false},
    {"db_code_then_database", "GPS7K1/7K2", "3.00", Pick::Select, IDC_DB_TYPE_BOTH, kComplete,
     "CMD,DBUPLOAD", "Uploading database file - data", true, true},
    {"map3_base", "Solvanta GPS", "2.05", Pick::DataFlag, 0, kComplete, "CMD,MPUPLOAD,1",
     "Uploading base map file - data", false, true},
    {"map3_detail", "Solvanta GPS", "2.05", Pick::Select, IDC_MAP3_DETAIL, kComplete,
     "CMD,MPUPLOAD,2", "Uploading detail map file - data", false, true},
    {"map4_base_before_code", "MAP7K3", "2.05", Pick::BothFlags, 0, "Upload of BASE MAP complete",
     "CMD,MPUPLOAD,1", "Uploading base map file - data", false, true},
    {"map4_base", "MAP7K3", "2.05", Pick::Select, IDC_MAP4_BASE, "Upload of BASE MAP complete",
     "CMD,MPUPLOAD,1", "Uploading base map file - data", false, true},
    {"map4_detail", "MAP7K3", "2.05", Pick::Select, IDC_MAP4_DETAIL,
     "Upload of DETAIL MAP complete", "CMD,MPUPLOAD,2", "Uploading detail map file - data", false,
     true},
};

class UploadMatrix : public UploadBench, public ::testing::WithParamInterface<Case> {};

TEST_P(UploadMatrix, FlashHoldsTheImageAfterTheDialogsInOrder) {
    const Case& c = GetParam();
    paced = true;
    // A family-2 receiver holds the built-in database of its region, whose file is here:
    // current firmware never sends it along.
    Plug(c.model, [&](sim::ReceiverOptions& o) {
        o.firmware = c.firmware;
        if (o.family == 2)
            o.poiHeader = o.DatabaseHeaderReply(o.DatabaseHeader("AMERICAS"));
    });
    const int family = receiver->Options().family;
    if (family == 2)
        WriteImage("gps7k2am.bin", samples::CityDatabase(1, 20000, 7));
    const std::string product = receiver->Options().productCode;
    const Bytes code = family == 2 ? WriteImage("code", samples::Family2Code(30000, 1))
                                   : samples::CodeBytes(product, 3, 1, 40000, 1);
    if (family != 2)
        samples::WriteFile("code", samples::CodeImageSRecord(product, 3, 1, 40000, 1));
    const Bytes data =
        WriteImage("data", family == 15  ? samples::PoiDatabase(25000, 2)
                           : family == 2 ? samples::CityDatabase(4, 25000, 2)
                                         : samples::MapImage("DEMOMAP", "1.00", 4000, 25000, 2));
    unit.codePath = "code";
    unit.dataPath = "data";
    unit.codeChosen = c.pick == Pick::CodeFlag || c.pick == Pick::BothFlags;
    unit.dataChosen = c.pick == Pick::DataFlag || c.pick == Pick::BothFlags;

    Strings dialogs{kConnect, kDatabaseType};
    if (c.pick == Pick::Select) {
        const char* caption = family == 15  ? "Pathwick - select upload type"
                              : family == 2 ? "GPS 7K1/7K2 - select upload type"
                                            : "Select upload type";
        ui.OnDialog(caption).Press(c.selectButton);
        dialogs.push_back(caption);
    }
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile).Repeat();
    dialogs.insert(dialogs.end(), family == 2 && c.sendsCode && c.sendsData ? 2 : 1, kUploadFile);
    Strings boxes;
    if (c.sendsCode && family != 2) {
        boxes.push_back(std::string("Confirm: ") + kOverwrite205With301);
        ui.OnMessageBox(kOverwrite205With301, "Confirm").Press(ui::IDOK);
    }
    boxes.push_back(std::string("STATUS: ") + c.done);
    ui.OnMessageBox(c.done, "STATUS").Press(ui::IDOK);
    const char* status = family == 2 ? kDatabaseStatus : kUploadStatus;
    dialogs.push_back(kProtocol);
    dialogs.push_back(status);

    EXPECT_EQ(Upload(), boxes);
    EXPECT_EQ(DialogsOpened(), dialogs) << ui.Log().Dump();
    EXPECT_EQ(Sent(c.sentence), 2);
    EXPECT_EQ(Last(status, IDC_PERCENT_TEXT), "100%");
    EXPECT_EQ(Last(status, family == 2 ? IDC_PROMPT_TEXT : IDC_CURRENT_FILE), c.currentFile);

    const std::uint32_t codeAt = family == 2 ? 0 : samples::kCodeLoadAddress;
    const std::uint32_t dataAt = family == 2 ? 0xA0000 : 0;
    if (c.sendsCode) {
        EXPECT_EQ(Flash(codeAt, code.size()), code);
    }
    if (c.sendsData) {
        EXPECT_EQ(Flash(dataAt, data.size()), data);
    }
    const std::size_t sent = (c.sendsCode ? code.size() : 0) + (c.sendsData ? data.size() : 0);
    EXPECT_EQ(receiver->Flash().ProgrammedBytes(), sent);
}

INSTANTIATE_TEST_SUITE_P(EveryFamilyAndKind, UploadMatrix, ::testing::ValuesIn(kCases), ByName);

}  // namespace
