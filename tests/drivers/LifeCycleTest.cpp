// The life cycle every driver shares, on the code and POI driver: what construction
// refuses or skips, and how the running dialog answers Cancel.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CMainFrame.h"
#include "dialogs/CUploadFileDlg.h"
#include "drivers/PoiUploadDialog.h"
#include "drivers/UploadDialogBase.h"
#include "image/ImageReader.h"
#include "loader/LoaderTrace.h"
#include "tests/drivers/DriverFixture.h"
#include "tests/support/NamedCase.h"
#include "ui/Runtime.h"

namespace {

constexpr char kStopWarning[] =
    "UPLOAD HAS NOT COMPLETED!\nTHIS COULD CAUSE FAILURE OF THE UNIT\n\nClick OK to stop upload";

class LifeCycle : public DriverFixture {
  protected:
    // A Pathwick identified on COM1 with a POI database of this size chosen.
    void ChoosePoi(std::size_t size, const std::string& model = "Pathwick") {
        StartReceiver(model);
        ASSERT_TRUE(Identify());
        poi = WriteImage("data", unit.family == 15
                                     ? samples::PoiDatabase(size, 2)
                                     : samples::MapImage("DemoMap", "1.00", 4000, size, 2));
        unit.dataPath = "data";
        unit.dataChosen = 1;
    }
    Bytes poi;
};

struct LimitCase : NamedCase {
    const char* model;
    std::size_t size;
    bool ready;
};

class SpaceLimit : public LifeCycle, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(SpaceLimit, ExactlyTheLimitPassesOneByteMoreIsRefused) {
    const LimitCase& c = GetParam();
    ChoosePoi(c.size, c.model);
    unit.autoUpload = 1;  // no upload-file dialog
    const std::string limit = unit.family == 15 ? "1179644" : "2555872";
    if (!c.ready) {
        ui.OnMessageBox(
              "File size of " + std::to_string(c.size) + " exceeds space limit of " + limit,
              "ERROR")
            .Press(ui::IDOK);
    }
    const Run run = Upload({}, false);
    EXPECT_EQ(run.ready, c.ready);
    // A refusal also ends the automatic run; the sentences go out only for a good image.
    EXPECT_EQ(unit.autoUpload, 0);
    EXPECT_EQ(Sent(unit.family == 15 ? "CMD,PIUPLOAD" : "CMD,MPUPLOAD,1"), c.ready ? 2 : 0);
}

const LimitCase kLimitCases[] = {
    {"poi_at_limit", "Pathwick", 1179644, true},
    {"poi_over_limit", "Pathwick", 1179645, false},
    {"base_map_at_limit", "Solvanta GPS", 2555872, true},
    {"base_map_over_limit", "Solvanta GPS", 2555873, false},
};

INSTANTIATE_TEST_SUITE_P(Sizes, SpaceLimit, ::testing::ValuesIn(kLimitCases), ByName);

// An image that cannot be read, would send nothing, or data outside the range erased for
// it, is refused before anything is sent, with the driver's box and why: the receiver
// would refuse the erase or the record, and the load would start over for ever.
struct RefusedCase : NamedCase {
    const char* model;
    bool code;  // the image is the program code, else the data image
    std::string image;
    const char* box;
    bool missing = false;  // no file is written
};

class RefusedImage : public LifeCycle, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedImage, IsRefusedBeforeAnythingIsSent) {
    const RefusedCase& c = GetParam();
    StartReceiver(c.model);
    ASSERT_TRUE(Identify());
    if (!c.missing)
        TempWorkDir::Write("image", c.image);
    (c.code ? unit.codePath : unit.dataPath) = "image";
    (c.code ? unit.codeChosen : unit.dataChosen) = 1;
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    const std::string first = c.code ? "Error reading code file" : "Error reading database file";
    ui.OnMessageBox(first + "\nimage " + c.box, "ERROR").Press(ui::IDOK);
    const Run run = Upload({}, false);
    EXPECT_FALSE(run.ready);
    ASSERT_EQ(ui.BoxTexts().size(), 1u);
    EXPECT_EQ(ui.Log().MessageBoxes()[0]->flags, ui::MB_OK | ui::MB_ICONINFORMATION);
    EXPECT_EQ(Sent("CMD,DBUPLOAD") + Sent("CMD,PIUPLOAD"), 0);
}

std::string Text(const samples::Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Program code of 4 KiB at its load address, with an S1 line at 0x100 before it.
std::string CodeAfterAnS1Line() {
    return "S1050100AABB94\n" + samples::CodeImageSRecord("037", 3, 1, 0x1000, 3);
}

const RefusedCase kRefusedCases[] = {
    {"missing_code", "Pathwick", true, "", "does not exist.", true},
    {"damaged_srecord", "Pathwick", true, "S00600004844521B\nS3052D004000FF\n",
     "is not a valid S-record image: line 2 has a wrong checksum."},
    {"empty_code", "Pathwick", true, "", "is empty."},
    {"empty_poi", "Pathwick", false, "", "is empty."},
    {"empty_database", "GPS7K1/7K2", false, "", "is empty."},
    {"srecord_without_data", "Pathwick", true, "S00600004844521B\nS3052D0040008D\nS70500000000FA\n",
     "holds no data to upload."},
    {"s1_line_before_the_code", "Pathwick", true, CodeAfterAnS1Line(),
     "holds data at 00000100, outside the range 2D004000-2D004FFF erased for it."},
    {"s3_data_at_0", "Pathwick", true,
     samples::ToSRecords({{0, samples::Bytes(16, 1)},
                          {samples::kCodeLoadAddress, samples::CodeBytes("037", 3, 1, 0x1000, 3)}}),
     "holds data at 00000000, outside the range 2D004000-2D004FFF erased for it."},
    {"srecord_as_database", "GPS7K1/7K2", false, samples::CodeImageSRecord("024", 3, 1, 0x1000, 3),
     "holds data at 2D004FFF, outside the range 000A0000-001FFFFF erased for it."},
    {"family2_code_past_its_region", "GPS7K1/7K2", true, Text(samples::Family2Code(0xA0001, 3)),
     "is too large for the receiver: 655361 bytes, room for 655360."},
};

INSTANTIATE_TEST_SUITE_P(Images, RefusedImage, ::testing::ValuesIn(kRefusedCases), ByName);

// A receiver that stops answering in the middle is waited for, as its loader wants, and the
// status line says so until it answers again.
TEST_F(LifeCycle, SilenceInTheMiddleIsSaidOnTheStatusLineUntilTheReceiverAnswers) {
    StartReceiver("Pathwick", [](sim::ReceiverOptions& o) {
        std::string error;
        ASSERT_TRUE(
            sim::FaultRule::Parse("silence:at=3,for=20000", o.faults.emplace_back(), error));
    });
    ASSERT_TRUE(app.InitInstance());  // the main window with its status line
    ASSERT_TRUE(Identify());
    poi = WriteImage("data", samples::PoiDatabase(20000, 2));
    unit.dataPath = "data";
    unit.dataChosen = 1;
    unit.autoUpload = 1;  // no upload-file dialog
    EXPECT_EQ(Upload().result, ui::IDOK);
    EXPECT_EQ(ui.Log().StatusTexts(),
              (std::vector<std::string>{
                  "Ready", "The receiver has not answered for 15 seconds. Cancel stops the upload.",
                  "Ready"}));
    EXPECT_EQ(Flash(0, poi.size()), poi);
    app.MainFrame()->Destroy();
}

TEST_F(LifeCycle, AutomaticRunShowsNeitherTheFileDialogNorTheQuestion) {
    for (const bool code : {true, false}) {
        SCOPED_TRACE(code ? "code" : "POI");
        ResetState();
        ChoosePoi(20000);
        const Bytes image = code ? samples::CodeBytes("037", 3, 1, 20000, 5) : poi;
        samples::WriteFile("code", samples::CodeImageSRecord("037", 3, 1, 20000, 5));
        unit.codePath = "code";
        unit.codeChosen = code;
        unit.dataChosen = !code;  // a package naming both sends the POIs first
        unit.autoUpload = 1;
        ui.Log().Clear();
        const Run run = Upload();
        EXPECT_EQ(run.result, ui::IDOK);
        EXPECT_EQ(DialogsOpened(), (std::vector<std::string>{kProtocol, kUploadStatus}));
        EXPECT_TRUE(ui.BoxTexts().empty());
        EXPECT_EQ(Flash(code ? samples::kCodeLoadAddress : 0, image.size()), image);
        // The automatic run is over with this driver.
        EXPECT_EQ(unit.autoUpload + unit.dataChosen + unit.codeChosen, 0);
    }
}

struct PackageCase : NamedCase {
    const char* model;
    int manualMode;
    int autoUpload;
    int autoUnitType;
};

class WrongPackage : public LifeCycle, public ::testing::WithParamInterface<PackageCase> {};

TEST_P(WrongPackage, EndsTheProgram) {
    const PackageCase& c = GetParam();
    ChoosePoi(20000, c.model);
    app.manualMode = c.manualMode;
    app.autoUnitType = c.autoUnitType;
    unit.autoUpload = c.autoUpload;
    ui.OnMessageBox("Incorrect upload package for unit", "ERROR").Press(ui::IDOK);
    const Run run = Upload();
    EXPECT_FALSE(run.ready);
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

TEST_F(LifeCycle, ExpertModeSendsNoCommandAndSkipsTheChecks) {
    // A binary code image would draw the code warning outside expert mode.
    StartReceiver("Pathwick", [](sim::ReceiverOptions& o) {
        o.startInLoader = true;
        o.sectorSize = 0x1000;
    });
    unit.expertMode = 1;
    unit.family = 15;
    unit.unitName = "Pathwick";
    unit.Open(0, 4800, true);
    const Bytes code = WriteImage("code.bin", samples::RandomBytes(0x8000, 4));
    unit.codePath = "code.bin";
    unit.codeChosen = 1;
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);

    const Run run = Upload();
    EXPECT_EQ(run.result, ui::IDOK) << ui.Log().Dump();
    EXPECT_TRUE(tap->host.find("$PXRV") == std::string::npos);
    EXPECT_TRUE(ui.BoxTexts().empty());
    // The image runs 16 KiB past the erase end the reader's size gives; the erase covers
    // it, so the flash, which only clears bits, takes every byte.
    EXPECT_EQ(Flash(samples::kCodeLoadAddress, code.size()), code);
    EXPECT_NE(TempWorkDir::Read(LoaderTrace::kFileName).find("2d004000:2d00bfff"),
              std::string::npos);
}

TEST_F(LifeCycle, CodeEraseReachesTheLastByteOfABinaryImage) {
    struct Image {
        const char* content;
        std::uint32_t end;
    };
    const Image images[] = {
        {"", 0x2D000000},  // empty: the rule alone
        {"abcd", 0x2D004003},
        {"abcde", 0x2D004005},  // the pad byte of the odd last record is written too
    };
    for (const Image& image : images) {
        TempWorkDir::Write("code.bin", image.content);
        ImageReader reader;
        ASSERT_TRUE(reader.Open("code.bin"));
        EXPECT_EQ(UploadDialogBase::CodeEraseEnd(reader), image.end) << image.content;
    }
    // S-record images keep the rule: their end address is their last byte already.
    samples::WriteFile("code.hex", samples::CodeImageSRecord("037", 3, 1, 0x5000, 1));
    ImageReader reader;
    ASSERT_TRUE(reader.Open("code.hex"));
    EXPECT_EQ(UploadDialogBase::CodeEraseEnd(reader), 0x2D008FFFu);
}

TEST_F(LifeCycle, CancelledProtocolSearchReopensAtTheSpeedBefore) {
    ChoosePoi(20000);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    ui.OnDialog(kProtocol).After(500).Press(ui::IDCANCEL);
    const Run run = Upload();
    EXPECT_FALSE(run.ready);
    EXPECT_TRUE(ui.BoxTexts().empty());
    EXPECT_EQ(unit.baud, 4800);
    std::vector<std::uint32_t> bauds;
    for (const auto& params : bank.Device(0)->AppliedHistory())
        bauds.push_back(params.baud);
    const auto loaderSpeed = std::find(bauds.rbegin(), bauds.rend(), 115200u);
    ASSERT_NE(loaderSpeed, bauds.rend());
    EXPECT_NE(std::find(bauds.rbegin(), loaderSpeed, 4800u), loaderSpeed);
}

TEST_F(LifeCycle, CancelInTheWarningLeavesTheUploadRunning) {
    ChoosePoi(40000);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    // Enter on the running dialog neither ends nor stops it.
    ui.OnControlText(kUploadStatus, IDC_PERCENT_TEXT, "5%").Enter();
    ui.OnDialog(kUploadStatus).After(1500).Press(ui::IDCANCEL);
    ui.OnMessageBox(kStopWarning, "WARNING").After(2000).Press(ui::IDCANCEL);
    const Run run = Upload();
    EXPECT_EQ(run.result, ui::IDOK);
    EXPECT_EQ(Flash(0, poi.size()), poi);

    // Between the warning and its answer the percentage went on.
    const auto& entries = ui.Log().Entries();
    const auto shown = std::find_if(entries.begin(), entries.end(), [](const auto& e) {
        return e.kind == ui::TranscriptEntry::Kind::MessageBox;
    });
    ASSERT_NE(shown, entries.end());
    std::vector<std::string> percentages;
    for (auto it = shown; it != entries.end() && it->kind != ui::TranscriptEntry::Kind::BoxAnswer;
         ++it) {
        if (const std::string* text = it->Control(IDC_PERCENT_TEXT))
            percentages.push_back(*text);
    }
    ASSERT_GE(percentages.size(), 2u);
    EXPECT_NE(percentages.front(), percentages.back());
}

// The image file goes short (a stick pulled) or is rewritten with other bytes of the same
// size while the receiver takes it: the run ends with an error, never as complete.
TEST_F(LifeCycle, ImageCutShortOrRewrittenDuringTheUploadEndsWithAnErrorNotCompletion) {
    struct Case {
        const char* what;
        void (*change)();
        const char* box;
        const char* traced;
    } cases[] = {
        {"cut short", [] { std::filesystem::resize_file("data", 3000); },
         "ERROR: UPLOAD HAS NOT COMPLETED!\nReading data failed", "SEND REC - read failed"},
        {"rewritten",
         [] {
             const auto written = std::filesystem::last_write_time("data");
             samples::WriteFile("data", samples::PoiDatabase(40000, 3));
             std::filesystem::last_write_time("data", written + std::chrono::seconds(2));
         },
         "ERROR: UPLOAD HAS NOT COMPLETED!\ndata was changed while it was being uploaded",
         "SEND REC - image changed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetState();
        ChoosePoi(40000);
        ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
        ui.OnDialog(kUploadStatus).After(1500).Run(c.change);
        ui.OnMessageBoxContaining("UPLOAD HAS NOT COMPLETED").Press(ui::IDOK);
        ui.Log().Clear();
        const Run run = Upload();
        EXPECT_EQ(run.result, ui::IDCANCEL);
        const std::vector<std::string> boxes = ui.BoxTexts();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].rfind(c.box, 0), 0u) << boxes[0];
        EXPECT_EQ(ui.Log().MessageBoxes()[0]->flags, ui::MB_OK | ui::MB_ICONSTOP);
        const std::string trace = TempWorkDir::Read(LoaderTrace::kFileName);
        EXPECT_NE(trace.find(c.traced), std::string::npos);
        EXPECT_EQ(trace.find("FILE DONE"), std::string::npos);
    }
}

struct CloseCase : NamedCase {
    int answer;  // in the warning, given after the file is done
    int result;
};

class LastCloseWins : public LifeCycle, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(LastCloseWins, AnswerAfterTheFileFinishedDecides) {
    ChoosePoi(20000);
    unit.autoUpload = 1;
    ui.OnDialog(kUploadStatus).After(500).Press(ui::IDCANCEL);
    ui.OnMessageBox(kStopWarning, "WARNING").After(60000).Press(GetParam().answer);
    const Run run = Upload();
    EXPECT_EQ(run.result, GetParam().result);
    EXPECT_EQ(Flash(0, poi.size()), poi);
    // Only a confirmed stop ends the automatic run; this driver's end finishes it anyway.
    EXPECT_EQ(Last(kUploadStatus, IDC_PERCENT_TEXT), "100%");
}

const CloseCase kCloseCases[] = {
    {"stop_confirmed", ui::IDOK, ui::IDCANCEL},
    {"stop_declined", ui::IDCANCEL, ui::IDOK},
};

INSTANTIATE_TEST_SUITE_P(Answers, LastCloseWins, ::testing::ValuesIn(kCloseCases), ByName);

TEST_F(LifeCycle, PoiChoiceWithoutAFileFailsAtTheOpen) {
    StartReceiver("Pathwick");
    ASSERT_TRUE(Identify());
    ui.OnDialog("Pathwick - select upload type").Press(IDC_POI_TYPE_POI);
    ui.OnFileOpen("Select POI Database").CancelFile();
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    ui.OnMessageBox("Error reading database file\nNo file was chosen.", "ERROR").Press(ui::IDOK);
    const Run run = Upload();
    EXPECT_FALSE(run.ready);
    EXPECT_EQ(run.kind, 1);
    EXPECT_EQ(unit.dataChosen, 1);
    EXPECT_EQ(Last(kUploadFile, IDC_UPLOAD_FILE_NAME), "");
    EXPECT_EQ(Sent("CMD,PIUPLOAD"), 0);
}

constexpr char kCodeFiles[] =
    "hex|hex Files (*.hex)|*.hex|S-record Files (*.srec)|*.srec|All Files (*.*)|*.*|||";
constexpr char kRawFiles[] = "Binary Files (*.bin;*.img)|*.bin;*.img|All Files (*.*)|*.*|||";

// "Change file" replaces the file the dialog showed, and the kind stays; its file dialog
// offers the files of that kind.
struct ChangeCase : NamedCase {
    const char* model;
    bool code;
    const char* chosen;   // what the picker's extension makes of "other"
    std::string request;  // title|extension|filter|proposed name
};

class ChangeFile : public LifeCycle, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(ChangeFile, SendsTheChosenFileInstead) {
    const ChangeCase& c = GetParam();
    ChoosePoi(20000, c.model);
    const bool family2 = unit.family == 2;
    const std::string product = receiver->Options().productCode;
    const Bytes other = c.code    ? samples::CodeBytes(product, 3, 1, 16000, 9)
                        : family2 ? WriteImage(c.chosen, samples::CityDatabase(4, 16000, 9))
                                  : WriteImage(c.chosen, samples::PoiDatabase(16000, 9));
    if (c.code) {
        samples::WriteFile(c.chosen, samples::CodeImageSRecord(product, 3, 1, 16000, 9));
        unit.codePath = "data";
        unit.codeChosen = 1;
        unit.dataChosen = 0;
        ui.OnMessageBox(kOverwrite205With301, "Confirm").Press(ui::IDOK);
    }
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kChangeFile);
    ui.OnFileOpen().Choose("other");
    const Run run = Upload();
    EXPECT_EQ(run.result, ui::IDOK) << ui.Log().Dump();
    EXPECT_EQ(ui.FileRequests(), std::vector<std::string>{c.request});
    EXPECT_EQ(c.code ? unit.codePath : unit.dataPath, (dir.Path() / c.chosen).string());
    const std::uint32_t at = c.code ? samples::kCodeLoadAddress : family2 ? 0xA0000 : 0;
    EXPECT_EQ(Flash(at, other.size()), other);
}

const ChangeCase kChangeCases[] = {
    {"code", "Pathwick", true, "other.hex", std::string("|") + kCodeFiles},
    {"pois", "Pathwick", false, "other.bin", std::string("|bin|") + kRawFiles},
    {"city_database", "GPS7K1/7K2", false, "other.bin", std::string("|bin|") + kRawFiles},
};

INSTANTIATE_TEST_SUITE_P(Kinds, ChangeFile, ::testing::ValuesIn(kChangeCases), ByName);

// Every error box of the drivers says what went wrong, with OK and its icon, and nothing
// is loaded after it.
struct BoxCase : NamedCase {
    const char* model;
    bool code;                  // the image is the program code, else the data image
    samples::Bytes (*image)();  // nullptr: no file
    const char* caption;
    const char* text;
    unsigned icon;
};

class ErrorBox : public LifeCycle, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(ErrorBox, SaysWhatWentWrong) {
    const BoxCase& c = GetParam();
    StartReceiver(c.model, [](sim::ReceiverOptions& o) { o.firmware = "3.10"; });
    ASSERT_TRUE(Identify());
    if (c.image != nullptr)
        WriteImage("image", c.image());
    (c.code ? unit.codePath : unit.dataPath) = "image";
    (c.code ? unit.codeChosen : unit.dataChosen) = 1;
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile).Repeat();
    // An image that fails its check draws the warning first; Cancel refuses it.
    ui.OnDialog("WARNING - FIRMWARE PROBLEM").Press(ui::IDCANCEL).Repeat();
    ui.OnMessageBox(c.text, c.caption).Press(ui::IDOK);
    const Run run = Upload();
    EXPECT_NE(run.result, ui::IDOK);
    ASSERT_EQ(ui.Log().MessageBoxes().size(), 1u);
    EXPECT_EQ(ui.Log().MessageBoxes()[0]->flags, ui::MB_OK | c.icon);
    EXPECT_EQ(receiver->Flash().ProgrammedBytes(), 0u);
}

samples::Bytes Family2CodeOfAnotherProduct() {
    samples::Bytes code = samples::Family2Code(20000, 1);
    code[samples::kFamily2CodeMarkOffset] = '9';
    return code;
}

const BoxCase kBoxCases[] = {
    {"no_code_file", "Pathwick", true, nullptr, "ERROR",
     "Error reading code file\nimage does not exist.", ui::MB_ICONINFORMATION},
    {"no_poi_file", "Pathwick", false, nullptr, "ERROR",
     "Error reading database file\nimage does not exist.", ui::MB_ICONINFORMATION},
    {"no_map_file", "Solvanta GPS", false, nullptr, "ERROR",
     "Error reading map file\nimage does not exist.", ui::MB_ICONINFORMATION},
    {"no_family2_code_file", "GPS7K1/7K2", true, nullptr, "ERROR",
     "Error reading code file\nimage does not exist.", ui::MB_ICONINFORMATION},
    {"no_family2_database_file", "GPS7K1/7K2", false, nullptr, "ERROR",
     "Error reading database file\nimage does not exist.", ui::MB_ICONINFORMATION},
    {"family2_code_of_another_product", "GPS7K1/7K2", true, Family2CodeOfAnotherProduct, "ERROR",
     "Error reading code file", ui::MB_ICONINFORMATION},
    {"poi_over_its_limit", "Pathwick", false, [] { return samples::PoiDatabase(1179645, 2); },
     "ERROR", "File size of 1179645 exceeds space limit of 1179644", ui::MB_ICONINFORMATION},
};

INSTANTIATE_TEST_SUITE_P(Boxes, ErrorBox, ::testing::ValuesIn(kBoxCases), ByName);

}  // namespace
