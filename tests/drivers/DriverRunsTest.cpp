// Runs that span more than one file or pass: the family-2 database decisions with the boot
// block pass, the family-5 continuation run, and the end report of record-numbered maps.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/CUploadFileDlg.h"
#include "loader/LoaderTrace.h"
#include "tests/drivers/DriverFixture.h"

namespace {

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
    ASSERT_TRUE(Identify());
    const Bytes code = WriteImage("code", samples::Family2Code(0x70000 + 20000, 1));
    const Bytes database = WriteImage("gps7k2am.bin", samples::CityDatabase(1, 20000, 2));
    theUnit.codePath = "code";
    theUnit.codeChosen = 1;
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    ui.Log().Clear();

    const Run first = Upload();
    ASSERT_EQ(first.result, ui::IDOK) << ui.Log().Dump();
    EXPECT_TRUE(first.secondPass);
    EXPECT_EQ(theUnit.dataPath, "gps7k2am.bin");
    EXPECT_EQ(Flash(0, code.size()), code);
    EXPECT_EQ(Flash(0xA0000, database.size()), database);
    // The code's percentage, then the database's from 0 again under its own name.
    EXPECT_EQ(ui.Log().ControlHistory(kDatabaseStatus, IDC_PROMPT_TEXT),
              (std::vector<std::string>{"", "Uploading code file -  code",
                                        "Uploading database file - gps7k2am.bin"}));
    const std::vector<std::string> percent =
        ui.Log().ControlHistory(kDatabaseStatus, IDC_PERCENT_TEXT);
    const auto codeDone = std::find(percent.begin(), percent.end(), "100%");
    ASSERT_NE(codeDone, percent.end());
    EXPECT_NE(std::find(codeDone + 1, percent.end(), "0%"), percent.end());
    EXPECT_EQ(percent.back(), "100%");

    // The second pass, as the main window starts it: no command, the loader is waiting.
    const std::string traceOfFirst = TempWorkDir::Read(LoaderTrace::kFileName);
    theUnit.bootReloadPass = 1;
    ui.Log().Clear();
    const Run boot = Upload();
    theUnit.bootReloadPass = 0;
    ASSERT_EQ(boot.result, ui::IDOK) << ui.Log().Dump();
    EXPECT_EQ(Sent("CMD,DBUPLOAD"), 2);
    EXPECT_EQ(DialogsOpened(), (std::vector<std::string>{kProtocol, kDatabaseStatus}));
    EXPECT_EQ(Last(kDatabaseStatus, IDC_PROMPT_TEXT), "Uploading boot block");
    EXPECT_EQ(Last(kDatabaseStatus, IDC_PERCENT_TEXT), "100%");
    EXPECT_EQ(Flash(0, code.size()), code);
    EXPECT_NE(TempWorkDir::Read(LoaderTrace::kFileName).substr(0, 200),
              traceOfFirst.substr(0, 200));
}

TEST_F(DriverRuns, CurrentFirmwareSendsOnlyTheCode) {
    StartReceiver("GPS7K1/7K2", [](sim::ReceiverOptions& o) {
        o.firmware = "3.00";
        o.poiHeader = sim::ReceiverOptions::DatabaseHeaderReply(
            sim::ReceiverOptions::DatabaseHeader("AMERICAS"));
    });
    ASSERT_TRUE(Identify());
    const Bytes code = WriteImage("code", samples::Family2Code(20000, 1));
    WriteImage("gps7k2am.bin", samples::CityDatabase(1, 20000, 2));
    theUnit.codePath = "code";
    theUnit.codeChosen = 1;
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);

    const Run run = Upload();
    EXPECT_EQ(run.result, ui::IDOK);
    EXPECT_FALSE(run.secondPass);
    EXPECT_EQ(receiver->Flash().ProgrammedBytes(), code.size());
}

struct CustomCase {
    const char* name;
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

INSTANTIATE_TEST_SUITE_P(Answers, CustomDatabase, ::testing::ValuesIn(kCustomCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DriverRuns, CodeThenBaseMapEndsInTheContinuationRun) {
    StartReceiver("MAP7K3");
    ASSERT_TRUE(Identify());
    const std::string product = theUnit.productCode;
    samples::WriteFile("code", samples::CodeImageSRecord(product, 3, 1, 30000, 1));
    const Bytes code = samples::CodeBytes(product, 3, 1, 30000, 1);
    const Bytes map = WriteImage("map", samples::MapImage("DEMOMAP", "1.00", 4000, 30000, 2));
    theUnit.codePath = "code";
    theUnit.dataPath = "map";
    ui.OnDialog("Select upload type").Press(IDC_MAP4_CODE_AND_BASE);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile).Repeat();

    const Run first = Upload();
    ASSERT_EQ(first.result, ui::IDOK) << ui.Log().Dump();
    EXPECT_EQ(first.kind, 0);
    EXPECT_EQ(Sent("CMD,DBUPLOAD"), 2);
    EXPECT_EQ(theUnit.codeChosen + theUnit.dataChosen, 2);
    EXPECT_EQ(Flash(samples::kCodeLoadAddress, code.size()), code);

    // The main window clears the code, identifies the receiver again and marks the run.
    theUnit.codeChosen = 0;
    ASSERT_TRUE(Identify());
    ui.Log().Clear();
    const Run second = Upload([](UploadDriver& driver) { driver.SetUploadKind(3); });
    ASSERT_EQ(second.result, ui::IDOK) << ui.Log().Dump();
    EXPECT_EQ(second.kind, 3);
    EXPECT_EQ(Sent("CMD,MPUPLOAD,1"), 2);
    EXPECT_EQ(DialogsOpened(), (std::vector<std::string>{kUploadFile, kProtocol, kUploadStatus}));
    EXPECT_EQ(Last(kUploadStatus, IDC_CURRENT_FILE), "Uploading base map file - map");
    EXPECT_EQ(Flash(0, map.size()), map);
}

// The end report of a record-numbered map run decides whether it counts as complete.
struct ReportCase {
    const char* name;
    const char* fault;  // of the simulated receiver; nullptr: none
    LineTap::Mode tamper;
    int result;
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
    ASSERT_TRUE(Identify());
    WriteImage("map", samples::MapImage("DEMOMAP", "1.00", 4000, 25000, 2));
    theUnit.dataPath = "map";
    ui.OnDialog("Select upload type").Press(IDC_MAP3_DETAIL);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    if (c.caption != nullptr)
        ui.OnMessageBox(c.text, c.caption).Press(ui::IDOK);

    const Run run = Upload();
    EXPECT_EQ(run.result, c.result) << ui.Log().Dump();
    const std::vector<const ui::TranscriptEntry*> boxes = ui.Log().MessageBoxes();
    ASSERT_EQ(boxes.size(), c.caption != nullptr ? 1u : 0u) << ui.Log().Dump();
    if (c.caption != nullptr) {
        EXPECT_EQ(boxes[0]->flags, ui::MB_OK | ui::MB_ICONSTOP);
    }
    if (c.result != ui::IDOK) {
        EXPECT_EQ(Last(kUploadStatus, IDC_PERCENT_TEXT), "99%");
    }
    const bool noReport = c.tamper == LineTap::Mode::Mute;
    EXPECT_EQ(
        TempWorkDir::Read(LoaderTrace::kFileName).find("END REPORT - none") != std::string::npos,
        noReport);
}

const ReportCase kReportCases[] = {
    {"clean", nullptr, LineTap::Mode::Pass, ui::IDOK, nullptr, nullptr},
    {"missing_record", "drop:at=3", LineTap::Mode::Pass, ui::IDCANCEL, "SIZE ERROR",
     "Sent 25000 bytes\nUnit received 23020"},
    {"missing_last_record", "drop:at=13", LineTap::Mode::Pass, ui::IDCANCEL, "SIZE ERROR",
     "Sent 25000 bytes\nUnit received 23760"},
    {"damaged", nullptr, LineTap::Mode::Checksum, ui::IDCANCEL, "CHECKSUM ERROR",
     "Non-zero checksum 0102"},
    {"never_reported", nullptr, LineTap::Mode::Mute, ui::IDOK, nullptr, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Reports, EndReport, ::testing::ValuesIn(kReportCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
