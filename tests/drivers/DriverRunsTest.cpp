// Runs that span more than one file or pass: the family-2 database decisions with the boot
// block pass, the family-5 continuation run, and the end report of record-numbered maps.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/CUploadFileDlg.h"
#include "drivers/CityDatabase.h"
#include "loader/LoaderTrace.h"
#include "tests/drivers/DriverFixture.h"
#include "tests/support/NamedCase.h"

namespace {

constexpr char kReload[] = "Power on unit to continue loading\nand click OK";
constexpr char kPowerOnForMap[] = "Power on GPS unit\nto upload map file.";
constexpr char kCustomQuestion[] =
    "The receiver contains a custom database.\nThis will be lost.\nContinue?";
constexpr char kSelect7K[] = "GPS 7K1/7K2 - select upload type";
using Strings = std::vector<std::string>;

class DriverRuns : public DriverFixture {
  protected:
    // A family-2 receiver with this firmware, holding the database of this header (none
    // when it is empty).
    void Start7K(const std::string& header, const char* firmware = "2.05") {
        StartReceiver("GPS7K1/7K2", [&](sim::ReceiverOptions& o) {
            o.firmware = firmware;
            o.poiHeader = header.empty() ? sim::ReceiverOptions::NoDatabaseReply()
                                         : sim::ReceiverOptions::DatabaseHeaderReply(header);
        });
    }
    // Boxes that must appear, each "caption: text", answered with OK.
    void ExpectBoxes(const Strings& boxes) {
        for (const std::string& box : boxes) {
            const std::size_t colon = box.find(": ");
            ui.OnMessageBox(box.substr(colon + 2), box.substr(0, colon)).Press(ui::IDOK);
        }
    }
    // The Upload command from the menu; the boxes it showed.
    Strings UploadCommand() {
        ui.Log().Clear();
        app.OnUpload();
        return ui.BoxTexts();
    }
};

TEST_F(DriverRuns, OldFirmwareSendsTheBuiltInDatabaseOfItsRegionThenTheBootBlock) {
    Start7K(std::string(sim::ReceiverOptions::DatabaseHeader("AMERICAS")));
    const Bytes code = WriteImage("code", samples::Family2Code(0x70000 + 20000, 1));
    const Bytes database = WriteImage("gps7k2am.bin", samples::CityDatabase(1, 20000, 2));
    unit.codePath = "code";
    unit.codeChosen = 1;
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    ui.OnMessageBox("Upload of CODE complete", "STATUS").Press(ui::IDOK);
    ui.OnMessageBox(kReload, "Reload Boot Loader").Press(ui::IDOK);
    ui.OnMessageBox("Upload complete", "STATUS").Press(ui::IDOK);

    app.OnUpload();
    EXPECT_EQ(ui.BoxTexts(),
              (std::vector<std::string>{"STATUS: Upload of CODE complete",
                                        std::string("Reload Boot Loader: ") + kReload,
                                        "STATUS: Upload complete"}))
        << ui.Log().Dump();
    EXPECT_EQ(unit.bootReloadPass, 0);
    EXPECT_EQ(unit.dataPath, "gps7k2am.bin");
    EXPECT_EQ(Flash(0, code.size()), code);
    EXPECT_EQ(Flash(0xA0000, database.size()), database);
    // The second pass sends no command: the receiver waits in its loader again.
    EXPECT_EQ(Sent("CMD,DBUPLOAD"), 2);
    EXPECT_EQ(DialogsOpened(),
              (std::vector<std::string>{kConnect, kDatabaseType, kUploadFile, kProtocol,
                                        kDatabaseStatus, kProtocol, kDatabaseStatus}));
    // The code's percentage, then the database's from 0 under its own name, then the boot
    // block's against the code beyond it.
    EXPECT_EQ(ui.Log().ControlHistory(kDatabaseStatus, IDC_PROMPT_TEXT),
              (std::vector<std::string>{"", "Uploading code file -  code",
                                        "Uploading database file - gps7k2am.bin", "",
                                        "Uploading boot block"}));
    const std::vector<std::string> percent =
        ui.Log().ControlHistory(kDatabaseStatus, IDC_PERCENT_TEXT);
    EXPECT_EQ(std::count(percent.begin(), percent.end(), "100%"), 3) << ui.Log().Dump();
    // The boot block pass has a trace of its own.
    const std::string trace = TempWorkDir::Read(LoaderTrace::kFileName);
    EXPECT_EQ(trace.rfind("RESET\n", 0), 0u);
    EXPECT_NE(trace.find("Erasing 00070000:0009ffff"), std::string::npos);
    EXPECT_EQ(trace.find("SECOND FILE"), std::string::npos);
}

struct CustomCase : NamedCase {
    int answer;          // to the custom-database question
    const char* chosen;  // in the file dialog after OK; nullptr: cancelled
    bool ready;
    bool databaseSent;
};

class CustomDatabase : public DriverRuns, public ::testing::WithParamInterface<CustomCase> {};

TEST_P(CustomDatabase, IsReplacedOnlyWhenTheUserAgrees) {
    const CustomCase& c = GetParam();
    Start7K(",    GPS 7K2    ,  OWN ROUTES   ,CITIES-NAVAIDS ");
    ASSERT_TRUE(Identify());
    const Bytes code = WriteImage("code", samples::Family2Code(20000, 1));
    const Bytes database = WriteImage("mine.bin", samples::CityDatabase(2, 9000, 3));
    unit.codePath = "code";
    unit.codeChosen = 1;
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    ui.OnMessageBox(kCustomQuestion, "Database").Press(c.answer);
    if (c.answer == ui::IDOK && c.chosen != nullptr)
        ui.OnFileOpen().Choose(c.chosen);
    else if (c.answer == ui::IDOK)
        ui.OnFileOpen().CancelFile();

    const Run run = Upload();
    ASSERT_EQ(run.ready, c.ready) << ui.Log().Dump();
    // A declined question touches nothing: no boot block to load again.
    EXPECT_EQ(run.secondPass, c.ready);
    if (!c.ready)
        return;
    EXPECT_EQ(run.result, ui::IDOK);
    EXPECT_EQ(Flash(0, code.size()), code);
    EXPECT_EQ(receiver->Flash().ProgrammedBytes(),
              code.size() + (c.databaseSent ? database.size() : 0));
    if (c.answer == ui::IDOK) {
        EXPECT_EQ(ui.FileRequests(),
                  Strings{"|bin|Binary Files (*.bin;*.img)|*.bin;*.img|All Files (*.*)|*.*|||"
                          "gps7k1wo.bin"});
    }
}

const CustomCase kCustomCases[] = {
    {"replaced_by_the_chosen_file", ui::IDOK, "mine.bin", true, true},
    {"kept_when_no_file_is_chosen", ui::IDOK, nullptr, true, false},
    {"question_declined", ui::IDCANCEL, nullptr, false, false},
};

INSTANTIATE_TEST_SUITE_P(Answers, CustomDatabase, ::testing::ValuesIn(kCustomCases), ByName);

TEST_F(DriverRuns, OldFirmwareWithoutADatabaseSaysTheDatabaseWasNotWritten) {
    Start7K("");
    const Bytes code = WriteImage("code", samples::Family2Code(0x70000 + 20000, 1));
    WriteImage("db.bin", samples::CityDatabase(4, 20000, 2));
    unit.codePath = "code";
    unit.dataPath = "db.bin";
    ui.OnDialog(kSelect7K).Press(IDC_DB_TYPE_BOTH);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile).Repeat();
    const Strings boxes = {
        "WARNING: Database was not written:\nunit with firmware below 3\nreports no database",
        "STATUS: Upload of CODE complete", std::string("Reload Boot Loader: ") + kReload,
        "STATUS: Upload complete"};
    ExpectBoxes(boxes);
    EXPECT_EQ(UploadCommand(), boxes);
    EXPECT_EQ(ui.Log().MessageBoxes()[0]->flags, ui::MB_OK | ui::MB_ICONEXCLAMATION);
    EXPECT_EQ(Flash(0, code.size()), code);
    EXPECT_FALSE(receiver->Flash().IsProgrammed(0xA0000));
}

// The receiver's database header names its built-in file; an erased header is none.
TEST(CityDatabaseFile, FollowsTheRegionOfTheReceiver) {
    using sim::ReceiverOptions;
    const std::pair<const char*, const char*> kRegions[] = {{"WORLDWIDE", "gps7k1wo.bin"},
                                                            {"AMERICAS", "gps7k2am.bin"},
                                                            {"ASIA-AUSTRALIA", "gps7k2as.bin"},
                                                            {"EUROPE-AFRICA", "gps7k2eu.bin"}};
    for (const auto& [region, file] : kRegions) {
        const int type = CityDatabase::TypeFromReply(
            ReceiverOptions::DatabaseHeaderReply(ReceiverOptions::DatabaseHeader(region)));
        EXPECT_EQ(CityDatabase::BuiltInFile(type), file) << region;
    }
    const int none = CityDatabase::TypeFromReply(ReceiverOptions::NoDatabaseReply());
    EXPECT_EQ(none, CityDatabase::kNone);
    EXPECT_EQ(CityDatabase::BuiltInFile(none), "");
    EXPECT_EQ(CityDatabase::TypeFromReply(ReceiverOptions::DatabaseHeaderReply(
                  ",    GPS 7K2    ,  OWN ROUTES   ,CITIES-NAVAIDS ")),
              CityDatabase::kCustom);
}

// An automatic upload writes every image its package names, the data image first and the
// code after the receiver has been powered on again.
struct AutoCase : NamedCase {
    const char* model;
    bool code;  // named besides the data image
    samples::Bytes (*data)();
    std::uint32_t dataAddress;
    Strings boxes;
};

class AutomaticUpload : public DriverRuns, public ::testing::WithParamInterface<AutoCase> {};

TEST_P(AutomaticUpload, WritesEveryImageThePackageNames) {
    const AutoCase& c = GetParam();
    StartReceiver(c.model, [](sim::ReceiverOptions& o) {
        o.firmware = "3.10";
        o.poiHeader = sim::ReceiverOptions::DatabaseHeaderReply(
            sim::ReceiverOptions::DatabaseHeader("AMERICAS"));
    });
    const std::string product = receiver->Options().productCode;
    samples::WriteFile("code", samples::CodeImageSRecord(product, 3, 1, 20000, 1));
    const Bytes data = WriteImage("data.bin", c.data());
    app.manualMode = 0;
    unit.codePath = c.code ? "code" : "";
    unit.codeChosen = c.code;
    unit.dataPath = "data.bin";
    unit.dataChosen = 1;
    ui.OnDialog("Upload").Press(ui::IDOK);
    ExpectBoxes(c.boxes);

    app.AutoUpload();
    EXPECT_EQ(ui.BoxTexts(), c.boxes);
    EXPECT_EQ(Flash(c.dataAddress, data.size()), data);
    const Bytes code = samples::CodeBytes(product, 3, 1, 20000, 1);
    EXPECT_EQ(Flash(samples::kCodeLoadAddress, code.size()) == code, c.code);
    EXPECT_EQ(unit.autoUpload + unit.codeChosen + unit.dataChosen, 0);
}

const Strings kBothPasses = {"STATUS: Upload complete",
                             "CONTINUE AUTO UPLOAD: Power on GPS unit\nto upload code.",
                             "STATUS: Upload complete"};

const AutoCase kAutoCases[] = {
    {"pois_and_code", "Pathwick", true, [] { return samples::PoiDatabase(20000, 2); }, 0,
     kBothPasses},
    {"base_map_and_code", "Solvanta GPS", true,
     [] { return samples::MapImage("DEMOMAP", "1.00", 4000, 20000, 2); }, 0, kBothPasses},
    {"database_alone",
     "GPS7K1/7K2",
     false,
     [] { return samples::CityDatabase(1, 20000, 2); },
     0xA0000,
     {"STATUS: Upload of DATABASE complete"}},
};

INSTANTIATE_TEST_SUITE_P(Packages, AutomaticUpload, ::testing::ValuesIn(kAutoCases), ByName);

// Two Upload commands in one run of the program: what the first chose, sent or cancelled
// is no choice for the second.
class TwoUploads : public DriverRuns {};

TEST_F(TwoUploads, Family6SecondSendsWhatItChose) {
    StartReceiver("Solvanta GPS");
    const std::string product = receiver->Options().productCode;
    samples::WriteFile("code", samples::CodeImageSRecord(product, 3, 1, 20000, 1));
    const Bytes code = samples::CodeBytes(product, 3, 1, 20000, 1);
    WriteImage("detail", samples::MapImage("DEMOMAP", "1.00", 4000, 25000, 2));
    unit.codePath = "code";
    unit.dataPath = "detail";
    ui.OnDialog("Select upload type").Press(IDC_MAP3_DETAIL);
    ui.OnDialog("Select upload type").Press(IDC_MAP3_CODE);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile).Repeat();
    ui.OnMessageBox(kOverwrite205With301, "Confirm").Press(ui::IDOK);
    ui.OnMessageBox("Upload complete", "STATUS").Press(ui::IDOK).Repeat();
    EXPECT_EQ(UploadCommand(), Strings{"STATUS: Upload complete"});
    // The detail map sent, the next Upload asks again; the user takes the code.
    EXPECT_EQ(UploadCommand(), (Strings{std::string("Confirm: ") + kOverwrite205With301,
                                        "STATUS: Upload complete"}));
    EXPECT_EQ(Sent("CMD,MPUPLOAD,2"), 2);
    EXPECT_EQ(Sent("CMD,MPUPLOAD,1"), 0);
    EXPECT_EQ(Flash(samples::kCodeLoadAddress, code.size()), code);
}

TEST_F(TwoUploads, Family2CodeOnlyUpdateKeepsTheDatabase) {
    Start7K(std::string(sim::ReceiverOptions::DatabaseHeader("AMERICAS")), "3.10");
    WriteImage("code", samples::Family2Code(30000, 1));
    const Bytes database = WriteImage("db.bin", samples::CityDatabase(1, 20000, 2));
    const Bytes update = WriteImage("update", samples::Family2Code(20000, 3));
    unit.codePath = "code";
    unit.dataPath = "db.bin";
    ui.OnDialog(kSelect7K).Press(IDC_DB_TYPE_BOTH);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile).Repeat();
    ExpectBoxes({"STATUS: Upload complete", "STATUS: Upload of CODE complete"});
    EXPECT_EQ(UploadCommand(), Strings{"STATUS: Upload complete"});
    unit.codePath = "update";
    unit.codeChosen = 1;
    EXPECT_EQ(UploadCommand(), Strings{"STATUS: Upload of CODE complete"});
    EXPECT_EQ(Flash(0, update.size()), update);
    EXPECT_EQ(Flash(0xA0000, database.size()), database);
}

TEST_F(TwoUploads, Family2CancelAtTheDatabaseChoiceEndsTheRun) {
    Start7K(",    GPS 7K2    ,  OWN ROUTES   ,CITIES-NAVAIDS ");
    WriteImage("code", samples::Family2Code(20000, 1));
    const Bytes database = WriteImage("mine.bin", samples::CityDatabase(2, 9000, 3));
    unit.codePath = "code";
    unit.dataPath = "mine.bin";
    ui.OnDialog(kSelect7K).Press(IDC_DB_TYPE_BOTH);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    ui.OnDialog(kUploadFile).Press(ui::IDCANCEL);
    // No question, no command and no reload prompt after the Cancel.
    EXPECT_EQ(UploadCommand(), Strings{});
    EXPECT_EQ(DialogsOpened(),
              (Strings{kConnect, kDatabaseType, kSelect7K, kUploadFile, kUploadFile}));
    EXPECT_EQ(Sent("CMD,DBUPLOAD"), 0);
    // The next Upload starts as if the cancelled one had not happened.
    ui.OnDialog(kSelect7K).Press(IDC_DB_TYPE_DATABASE);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    ExpectBoxes({"STATUS: Upload of DATABASE complete"});
    EXPECT_EQ(UploadCommand(), Strings{"STATUS: Upload of DATABASE complete"});
    EXPECT_EQ(DialogsOpened(), (Strings{kConnect, kDatabaseType, kSelect7K, kUploadFile, kProtocol,
                                        kDatabaseStatus}));
    EXPECT_EQ(Flash(0xA0000, database.size()), database);
    EXPECT_EQ(receiver->Flash().ProgrammedBytes(), database.size());
}

TEST_F(DriverRuns, CodeThenBaseMapEndsInTheContinuationRun) {
    StartReceiver("MAP7K3");
    const std::string product = receiver->Options().productCode;
    samples::WriteFile("code", samples::CodeImageSRecord(product, 3, 1, 30000, 1));
    const Bytes code = samples::CodeBytes(product, 3, 1, 30000, 1);
    const Bytes map = WriteImage("map", samples::MapImage("DEMOMAP", "1.00", 4000, 30000, 2));
    unit.codePath = "code";
    unit.dataPath = "map";
    ui.OnDialog("Select upload type").Press(IDC_MAP4_CODE_AND_BASE);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile).Repeat();
    ui.OnMessageBox(kOverwrite205With301, "Confirm").Press(ui::IDOK);
    ui.OnMessageBox("Upload of CODE complete", "STATUS").Press(ui::IDOK);
    ui.OnMessageBox(kPowerOnForMap, "CONTINUE UPLOAD").Press(ui::IDOK);
    ui.OnMessageBox("Upload complete", "STATUS").Press(ui::IDOK);

    app.OnUpload();
    EXPECT_EQ(
        ui.BoxTexts(),
        (std::vector<std::string>{
            std::string("Confirm: ") + kOverwrite205With301, "STATUS: Upload of CODE complete",
            std::string("CONTINUE UPLOAD: ") + kPowerOnForMap, "STATUS: Upload complete"}))
        << ui.Log().Dump();
    EXPECT_EQ(DialogsOpened(),
              (std::vector<std::string>{kConnect, kDatabaseType, "Select upload type", kUploadFile,
                                        kProtocol, kUploadStatus, kConnect, kDatabaseType,
                                        kUploadFile, kProtocol, kUploadStatus}));
    EXPECT_EQ(ui.Log().ControlHistory(kUploadFile, IDC_UPLOAD_FILE_NAME),
              (std::vector<std::string>{"", "code", "", "map"}));
    EXPECT_EQ(Sent("CMD,DBUPLOAD"), 2);
    EXPECT_EQ(Sent("CMD,MPUPLOAD,1"), 2);
    EXPECT_EQ(Last(kUploadStatus, IDC_CURRENT_FILE), "Uploading base map file - map");
    EXPECT_EQ(Flash(samples::kCodeLoadAddress, code.size()), code);
    EXPECT_EQ(Flash(0, map.size()), map);
    EXPECT_EQ(unit.codeChosen + unit.dataChosen, 0);
}

// The end report of a record-numbered map run decides whether it counts as complete.
struct ReportCase : NamedCase {
    const char* fault;  // of the simulated receiver; nullptr: none
    LineTap::Mode tamper;
    bool complete;
    const char* caption;  // of the stop box shown; nullptr: none
    const char* text;
};

class EndReport : public DriverFixture, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(EndReport, DecidesTheOutcomeOfRecordNumberedRuns) {
    const ReportCase& c = GetParam();
    StartReceiver("Solvanta GPS", [&](sim::ReceiverOptions& o) {
        if (c.fault != nullptr) {
            std::string error;
            ASSERT_TRUE(sim::FaultRule::Parse(c.fault, o.faults.emplace_back(), error)) << error;
        }
    });
    tap->TamperAfterEnd(c.tamper, 0x0102);
    WriteImage("map", samples::MapImage("DEMOMAP", "1.00", 4000, 25000, 2));
    unit.dataPath = "map";
    ui.OnDialog("Select upload type").Press(IDC_MAP3_DETAIL);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    const std::string caption = c.caption != nullptr ? c.caption : "STATUS";
    const std::string text = c.caption != nullptr ? c.text : "Upload complete";
    ui.OnMessageBox(text, caption).Press(ui::IDOK);

    app.OnUpload();
    // A short or damaged run is never reported as complete.
    EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{caption + ": " + text}) << ui.Log().Dump();
    EXPECT_EQ(ui.Log().MessageBoxes().back()->flags,
              ui::MB_OK | (c.caption != nullptr ? ui::MB_ICONSTOP : ui::MB_ICONINFORMATION));
    EXPECT_EQ(Last(kUploadStatus, IDC_PERCENT_TEXT), c.complete ? "100%" : "99%");
    const bool noReport = c.tamper == LineTap::Mode::Mute;
    EXPECT_EQ(
        TempWorkDir::Read(LoaderTrace::kFileName).find("END REPORT - none") != std::string::npos,
        noReport);
}

const ReportCase kReportCases[] = {
    {"clean", nullptr, LineTap::Mode::Pass, true, nullptr, nullptr},
    {"missing_record", "drop:at=3", LineTap::Mode::Pass, false, "SIZE ERROR",
     "Sent 25000 bytes\nUnit received 23020"},
    {"missing_last_record", "drop:at=13", LineTap::Mode::Pass, false, "SIZE ERROR",
     "Sent 25000 bytes\nUnit received 23760"},
    {"damaged", nullptr, LineTap::Mode::Checksum, false, "CHECKSUM ERROR",
     "Non-zero checksum 0102"},
    {"damaged_without_size", nullptr, LineTap::Mode::ChecksumOnly, false, "CHECKSUM ERROR",
     "Non-zero checksum 0102"},
    {"never_reported", nullptr, LineTap::Mode::Mute, true, nullptr, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Reports, EndReport, ::testing::ValuesIn(kReportCases), ByName);

}  // namespace
