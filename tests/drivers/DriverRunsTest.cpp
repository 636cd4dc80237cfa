// Runs that span more than one file or pass: the family-2 database decisions with the boot
// block pass, the family-5 continuation run, and the end report of record-numbered maps.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/CUploadFileDlg.h"
#include "loader/LoaderTrace.h"
#include "tests/drivers/DriverFixture.h"
#include "tests/support/NamedCase.h"

namespace {

constexpr char kReload[] = "Power on unit to continue loading\nand click OK";
constexpr char kPowerOnForMap[] = "Power on GPS unit\nto upload map file.";
constexpr char kCustomQuestion[] =
    "The receiver contains a custom database.\nThis will be lost.\nContinue?";

class DriverRuns : public DriverFixture {
  protected:
    // A family-2 receiver with old firmware, holding the database of this header.
    void StartOld7K(const std::string& header) {
        StartReceiver("GPS7K1/7K2", [&](sim::ReceiverOptions& o) {
            o.firmware = "2.05";
            o.poiHeader = sim::ReceiverOptions::DatabaseHeaderReply(header);
        });
    }
};

TEST_F(DriverRuns, OldFirmwareSendsTheBuiltInDatabaseOfItsRegionThenTheBootBlock) {
    StartOld7K(std::string(sim::ReceiverOptions::DatabaseHeader("AMERICAS")));
    const Bytes code = WriteImage("code", samples::Family2Code(0x70000 + 20000, 1));
    const Bytes database = WriteImage("gps7k2am.bin", samples::CityDatabase(1, 20000, 2));
    theUnit.codePath = "code";
    theUnit.codeChosen = 1;
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    ui.OnMessageBox("Upload of CODE complete", "STATUS").Press(ui::IDOK);
    ui.OnMessageBox(kReload, "Reload Boot Loader").Press(ui::IDOK);
    ui.OnMessageBox("Upload complete", "STATUS").Press(ui::IDOK);

    theApp.OnUpload();
    EXPECT_EQ(ui.BoxTexts(),
              (std::vector<std::string>{"STATUS: Upload of CODE complete",
                                        std::string("Reload Boot Loader: ") + kReload,
                                        "STATUS: Upload complete"}))
        << ui.Log().Dump();
    EXPECT_EQ(theUnit.bootReloadPass, 0);
    EXPECT_EQ(theUnit.dataPath, "gps7k2am.bin");
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
    StartOld7K(",    GPS 7K2    ,  OWN ROUTES   ,CITIES-NAVAIDS ");
    ASSERT_TRUE(Identify());
    const Bytes code = WriteImage("code", samples::Family2Code(20000, 1));
    const Bytes database = WriteImage("mine.bin", samples::CityDatabase(2, 9000, 3));
    theUnit.codePath = "code";
    theUnit.codeChosen = 1;
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    ui.OnMessageBox(kCustomQuestion, "Database").Press(c.answer);
    if (c.answer == ui::IDOK && c.chosen != nullptr)
        ui.OnFileOpen().Choose(c.chosen);
    else if (c.answer == ui::IDOK)
        ui.OnFileOpen().CancelFile();

    const Run run = Upload();
    ASSERT_EQ(run.ready, c.ready) << ui.Log().Dump();
    EXPECT_TRUE(run.secondPass);
    if (!c.ready)
        return;
    EXPECT_EQ(run.result, ui::IDOK);
    EXPECT_EQ(Flash(0, code.size()), code);
    EXPECT_EQ(receiver->Flash().ProgrammedBytes(),
              code.size() + (c.databaseSent ? database.size() : 0));
}

const CustomCase kCustomCases[] = {
    {"replaced_by_the_chosen_file", ui::IDOK, "mine.bin", true, true},
    {"kept_when_no_file_is_chosen", ui::IDOK, nullptr, true, false},
    {"question_declined", ui::IDCANCEL, nullptr, false, false},
};

INSTANTIATE_TEST_SUITE_P(Answers, CustomDatabase, ::testing::ValuesIn(kCustomCases), ByName);

TEST_F(DriverRuns, CodeThenBaseMapEndsInTheContinuationRun) {
    StartReceiver("MAP7K3");
    const std::string product = receiver->Options().productCode;
    samples::WriteFile("code", samples::CodeImageSRecord(product, 3, 1, 30000, 1));
    const Bytes code = samples::CodeBytes(product, 3, 1, 30000, 1);
    const Bytes map = WriteImage("map", samples::MapImage("DEMOMAP", "1.00", 4000, 30000, 2));
    theUnit.codePath = "code";
    theUnit.dataPath = "map";
    ui.OnDialog("Select upload type").Press(IDC_MAP4_CODE_AND_BASE);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile).Repeat();
    ui.OnMessageBox(kOverwrite205With301, "Confirm").Press(ui::IDOK);
    ui.OnMessageBox("Upload of CODE complete", "STATUS").Press(ui::IDOK);
    ui.OnMessageBox(kPowerOnForMap, "CONTINUE UPLOAD").Press(ui::IDOK);
    ui.OnMessageBox("Upload complete", "STATUS").Press(ui::IDOK);

    theApp.OnUpload();
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
    EXPECT_EQ(theUnit.codeChosen + theUnit.dataChosen, 0);
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
    theUnit.dataPath = "map";
    ui.OnDialog("Select upload type").Press(IDC_MAP3_DETAIL);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    const std::string caption = c.caption != nullptr ? c.caption : "STATUS";
    const std::string text = c.caption != nullptr ? c.text : "Upload complete";
    ui.OnMessageBox(text, caption).Press(ui::IDOK);

    theApp.OnUpload();
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
    {"never_reported", nullptr, LineTap::Mode::Mute, true, nullptr, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Reports, EndReport, ::testing::ValuesIn(kReportCases), ByName);

}  // namespace
