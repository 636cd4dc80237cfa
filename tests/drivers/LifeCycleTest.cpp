// The life cycle every driver shares: what construction refuses, with which box, how the
// running dialog answers Enter and Cancel, and the "Change file" choice.
#include <algorithm>
#include <string>
#include <vector>

#include "dialogs/CUploadFileDlg.h"
#include "tests/drivers/UploadBench.h"
#include "tests/support/NamedCase.h"
#include "ui/Runtime.h"

namespace {

constexpr char kStopWarning[] =
    "UPLOAD HAS NOT COMPLETED!\nTHIS COULD CAUSE FAILURE OF THE UNIT\n\nClick OK to stop upload";

class LifeCycle : public UploadBench {
  protected:
    LifeCycle() { paced = true; }
};

// Every refusal of an image says what went wrong, with OK and its icon, before anything is
// written, and but for family-2 code before anything is sent: the receiver would refuse the
// erase or the record, and the load would start over for ever.
struct BoxCase : NamedCase {
    const char* model;
    bool code;          // the image is the program code, else the data image
    std::string image;  // empty: no file
    std::string text;   // of the "ERROR" box
    int commands = 0;   // sentences sent before the image was read
};

class ErrorBox : public LifeCycle, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(ErrorBox, SaysWhatWentWrongBeforeAnythingIsSent) {
    const BoxCase& c = GetParam();
    Plug(c.model, [](sim::ReceiverOptions& o) { o.firmware = "3.10"; });
    if (!c.image.empty())
        TempWorkDir::Write("image", c.image);
    (c.code ? unit.codePath : unit.dataPath) = "image";
    (c.code ? unit.codeChosen : unit.dataChosen) = 1;
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile).Repeat();
    // An image that fails its check draws the warning first; Cancel refuses it.
    ui.OnDialog("WARNING - FIRMWARE PROBLEM").Press(ui::IDCANCEL).Repeat();
    ExpectBoxes({"ERROR: " + c.text});
    EXPECT_EQ(Upload(), Strings{"ERROR: " + c.text});
    EXPECT_EQ(ui.Log().MessageBoxes()[0]->flags, ui::MB_OK | ui::MB_ICONINFORMATION);
    EXPECT_EQ(Sent("CMD,DBUPLOAD") + Sent("CMD,PIUPLOAD") + Sent("CMD,MPUPLOAD,1"), c.commands);
    EXPECT_EQ(receiver->Flash().ProgrammedBytes(), 0u);
}

std::string Text(const samples::Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Program code of 4 KiB at its load address, with an S1 line at 0x100 before it.
std::string CodeAfterAnS1Line() {
    return "S1050100AABB94\n" + samples::CodeImageSRecord("037", 3, 1, 0x1000, 3);
}

std::string Family2CodeOfAnotherProduct() {
    samples::Bytes code = samples::Family2Code(20000, 1);
    code[samples::kFamily2CodeMarkOffset] = '9';
    return Text(code);
}

const std::string kCode = "Error reading code file\nimage ";
const std::string kData = "Error reading database file\nimage ";

const BoxCase kBoxCases[] = {
    {"no_code_file", "Pathwick", true, "", kCode + "does not exist."},
    {"no_poi_file", "Pathwick", false, "", kData + "does not exist."},
    {"no_map_file", "Solvanta GPS", false, "", "Error reading map file\nimage does not exist."},
    {"srecord_without_data", "Pathwick", true, "S00600004844521B\nS3052D0040008D\nS70500000000FA\n",
     kCode + "holds no data to upload."},
    {"s1_line_before_the_code", "Pathwick", true, CodeAfterAnS1Line(),
     kCode + "holds data at 00000100, outside the range 2D004000-2D004FFF erased for it."},
    {"srecord_as_database", "GPS7K1/7K2", false, samples::CodeImageSRecord("024", 3, 1, 0x1000, 3),
     kData + "holds data at 2D004FFF, outside the range 000A0000-001FFFFF erased for it."},
    {"family2_code_past_its_region", "GPS7K1/7K2", true, Text(samples::Family2Code(0xA0001, 3)),
     kCode + "is too large for the receiver: 655361 bytes, room for 655360."},
    {"family2_code_of_another_product", "GPS7K1/7K2", true, Family2CodeOfAnotherProduct(),
     "Error reading code file", 2},
    {"poi_over_its_limit", "Pathwick", false, Text(samples::PoiDatabase(1179645, 2)),
     "File size of 1179645 exceeds space limit of 1179644"},
    {"base_map_over_its_limit", "Solvanta GPS", false,
     Text(samples::MapImage("DemoMap", "1.00", 4000, 2555873, 2)),
     "File size of 2555873 exceeds space limit of 2555872"},
};

INSTANTIATE_TEST_SUITE_P(Boxes, ErrorBox, ::testing::ValuesIn(kBoxCases), ByName);

// A package for another receiver ends the program, with the stop icon.
struct PackageCase : NamedCase {
    const char* model;
    int manualMode;
    int autoUpload;
    int autoUnitType;
};

class WrongPackage : public LifeCycle, public ::testing::WithParamInterface<PackageCase> {};

TEST_P(WrongPackage, EndsTheProgram) {
    const PackageCase& c = GetParam();
    Plug(c.model);
    WriteImage("data", c.manualMode == 0 && c.autoUpload == 0
                           ? samples::MapImage("DemoMap", "1.00", 4000, 20000, 2)
                           : samples::PoiDatabase(20000, 2));
    unit.dataPath = "data";
    unit.dataChosen = 1;
    app.manualMode = c.manualMode;
    app.autoUnitType = c.autoUnitType;
    unit.autoUpload = c.autoUpload;
    ExpectBoxes({"ERROR: Incorrect upload package for unit"});
    EXPECT_EQ(Upload(), Strings{"ERROR: Incorrect upload package for unit"});
    EXPECT_EQ(ui.Log().MessageBoxes().at(0)->flags, ui::MB_OK | ui::MB_ICONSTOP);
    EXPECT_TRUE(ui::Runtime::Get().QuitPosted());
    EXPECT_EQ(Sent("CMD,PIUPLOAD") + Sent("CMD,MPUPLOAD,1") + Sent("CMD,DBUPLOAD"), 0);
}

const PackageCase kPackageCases[] = {
    // An orvane.ini package for a receiver of another family.
    {"other_family_unit_type", "Pathwick", 0, 1, 7},
    // The map's name differs from the receiver's by letter case only.
    {"map_name_in_other_case", "MAP7K3", 0, 0, 1},
    {"family2_package_for_another_unit", "GPS7K1/7K2", 0, 1, 15},
};

INSTANTIATE_TEST_SUITE_P(Packages, WrongPackage, ::testing::ValuesIn(kPackageCases), ByName);

TEST_F(LifeCycle, EnterGoesOnAndCancelInTheWarningLeavesTheUploadRunning) {
    Plug("Pathwick");
    const Bytes poi = WriteImage("data", samples::PoiDatabase(40000, 2));
    unit.dataPath = "data";
    unit.dataChosen = 1;
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    // Enter on the running dialog neither ends nor stops it.
    ui.OnControlText(kUploadStatus, IDC_PERCENT_TEXT, "5%").Enter();
    ui.OnDialog(kUploadStatus).After(1500).Press(ui::IDCANCEL);
    ui.OnMessageBox(kStopWarning, "WARNING").After(2000).Press(ui::IDCANCEL);
    ExpectBoxes({"STATUS: Upload complete"});
    EXPECT_EQ(Upload(),
              (Strings{std::string("WARNING: ") + kStopWarning, "STATUS: Upload complete"}));
    EXPECT_EQ(Flash(0, poi.size()), poi);
}

// A receiver that stops taking records keeps its upload waiting, as its rules say; after
// 15 s the status line says so and what Cancel does, and the line is given back after.
TEST_F(LifeCycle, ASilentReceiverIsNamedOnTheStatusLineUntilCancelStopsTheUpload) {
    ASSERT_TRUE(app.InitInstance());  // the main window and its status line
    Plug("Pathwick", [](sim::ReceiverOptions& o) {
        std::string error;
        ASSERT_TRUE(
            sim::FaultRule::Parse("silence:on=record,at=3,for=0", o.faults.emplace_back(), error))
            << error;
    });
    WriteImage("data", samples::PoiDatabase(40000, 2));
    unit.dataPath = "data";
    unit.dataChosen = 1;
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    ui.OnDialog(kUploadStatus).After(30000).Press(ui::IDCANCEL);
    ui.OnMessageBox(kStopWarning, "WARNING").Press(ui::IDOK);
    Upload();
    const std::vector<std::string> status = ui.Log().StatusTexts();
    const std::string notice =
        "The receiver has not answered for 15 seconds. Cancel stops the upload.";
    const auto shown = std::find(status.begin(), status.end(), notice);
    ASSERT_NE(shown, status.end());
    ASSERT_NE(shown + 1, status.end());
    EXPECT_EQ(*(shown + 1), *(shown - 1));  // the line as it was before
}

constexpr char kCodeFiles[] =
    "hex|hex Files (*.hex)|*.hex|S-record Files (*.srec)|*.srec|All Files (*.*)|*.*|||";
constexpr char kRawFiles[] = "bin|Binary Files (*.bin;*.img)|*.bin;*.img|All Files (*.*)|*.*|||";

// "Change file" replaces the file the dialog showed, and the kind stays; its file dialog
// offers the files of that kind.
struct ChangeCase : NamedCase {
    const char* model;
    bool code;
    const char* chosen;   // what the picker's extension makes of "other"
    const char* request;  // extension|filter|proposed name, after the empty title
};

class ChangeFile : public LifeCycle, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(ChangeFile, SendsTheChosenFileInstead) {
    const ChangeCase& c = GetParam();
    Plug(c.model);
    const bool family2 = receiver->Options().family == 2;
    const std::string product = receiver->Options().productCode;
    WriteImage("data",
               family2 ? samples::CityDatabase(4, 20000, 2) : samples::PoiDatabase(20000, 2));
    const Bytes other = c.code    ? samples::CodeBytes(product, 3, 1, 16000, 9)
                        : family2 ? WriteImage(c.chosen, samples::CityDatabase(4, 16000, 9))
                                  : WriteImage(c.chosen, samples::PoiDatabase(16000, 9));
    if (c.code) {
        samples::WriteFile(c.chosen, samples::CodeImageSRecord(product, 3, 1, 16000, 9));
        ExpectBoxes({std::string("Confirm: ") + kOverwrite205With301});
    }
    (c.code ? unit.codePath : unit.dataPath) = "data";
    (c.code ? unit.codeChosen : unit.dataChosen) = 1;
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kChangeFile);
    ui.OnFileOpen().Choose("other");
    ui.OnMessageBox(family2 ? "Upload of DATABASE complete" : "Upload complete", "STATUS")
        .Press(ui::IDOK);
    Upload();
    EXPECT_EQ(ui.FileRequests(), Strings{std::string("|") + c.request});
    const std::uint32_t at = c.code ? samples::kCodeLoadAddress : family2 ? 0xA0000 : 0;
    EXPECT_EQ(Flash(at, other.size()), other);
}

const ChangeCase kChangeCases[] = {
    {"code", "Pathwick", true, "other.hex", kCodeFiles},
    {"pois", "Pathwick", false, "other.bin", kRawFiles},
    {"city_database", "GPS7K1/7K2", false, "other.bin", kRawFiles},
};

INSTANTIATE_TEST_SUITE_P(Kinds, ChangeFile, ::testing::ValuesIn(kChangeCases), ByName);

}  // namespace
