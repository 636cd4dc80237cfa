// Runs that span more than one file or pass: the family-2 database decisions with the boot
// block pass, the family-5 continuation run, and the end report of record-numbered maps.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/CUploadFileDlg.h"
#include "drivers/CityDatabase.h"
#include "loader/LoaderTrace.h"
#include "tests/drivers/UploadBench.h"
#include "tests/support/NamedCase.h"

namespace {

constexpr char kReload[] = "Power on unit to continue loading\nand click OK";
constexpr char kPowerOnForMap[] = "Power on GPS unit\nto upload map file.";
constexpr char kSelect7K[] = "GPS 7K1/7K2 - select upload type";

class DriverRuns : public UploadBench {
  protected:
    DriverRuns() { paced = true; }
    // A family-2 receiver with this firmware, holding the database of this header (none
    // when it is empty).
    void Start7K(const std::string& header, const char* firmware = "2.05") {
        Plug("GPS7K1/7K2", [&](sim::ReceiverOptions& o) {
            o.firmware = firmware;
            o.poiHeader = header.empty() ? sim::ReceiverOptions::NoDatabaseReply()
                                         : sim::ReceiverOptions::DatabaseHeaderReply(header);
        });
    }
};

TEST_F(DriverRuns, OldFirmwareSendsTheBuiltInDatabaseOfItsRegionThenTheBootBlock) {
    Start7K(std::string(sim::ReceiverOptions::DatabaseHeader("AMERICAS")));
    const Bytes code = WriteImage("code", samples::Family2Code(0x70000 + 20000, 1));
    const Bytes database = WriteImage("gps7k2am.bin", samples::CityDatabase(1, 20000, 2));
    unit.codePath = "code";
    unit.codeChosen = 1;
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile);
    const Strings boxes = {"STATUS: Upload of CODE complete",
                           std::string("Reload Boot Loader: ") + kReload,
                           "STATUS: Upload complete"};
    ExpectBoxes(boxes);
    EXPECT_EQ(Upload(), boxes) << ui.Log().Dump();
    EXPECT_EQ(unit.bootReloadPass, 0);
    EXPECT_EQ(unit.dataPath, "gps7k2am.bin");
    EXPECT_EQ(Flash(0, code.size()), code);
    EXPECT_EQ(Flash(0xA0000, database.size()), database);
    // The second pass sends no command: the receiver waits in its loader again.
    EXPECT_EQ(Sent("CMD,DBUPLOAD"), 2);
}

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
    EXPECT_EQ(Upload(), boxes);
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
    Plug(c.model, [](sim::ReceiverOptions& o) {
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
    {"database_alone",
     "GPS7K1/7K2",
     false,
     [] { return samples::CityDatabase(1, 20000, 2); },
     0xA0000,
     {"STATUS: Upload of DATABASE complete"}},
};

INSTANTIATE_TEST_SUITE_P(Packages, AutomaticUpload, ::testing::ValuesIn(kAutoCases), ByName);

TEST_F(DriverRuns, Family2CodeOnlyUpdateKeepsTheDatabase) {
    Start7K(std::string(sim::ReceiverOptions::DatabaseHeader("AMERICAS")), "3.10");
    WriteImage("code", samples::Family2Code(30000, 1));
    const Bytes database = WriteImage("db.bin", samples::CityDatabase(1, 20000, 2));
    const Bytes update = WriteImage("update", samples::Family2Code(20000, 3));
    unit.codePath = "code";
    unit.dataPath = "db.bin";
    ui.OnDialog(kSelect7K).Press(IDC_DB_TYPE_BOTH);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile).Repeat();
    ExpectBoxes({"STATUS: Upload complete", "STATUS: Upload of CODE complete"});
    EXPECT_EQ(Upload(), Strings{"STATUS: Upload complete"});
    unit.codePath = "update";
    unit.codeChosen = 1;
    EXPECT_EQ(Upload(), Strings{"STATUS: Upload of CODE complete"});
    EXPECT_EQ(Flash(0, update.size()), update);
    EXPECT_EQ(Flash(0xA0000, database.size()), database);
}

TEST_F(DriverRuns, CodeThenBaseMapEndsInTheContinuationRun) {
    Plug("MAP7K3");
    const std::string product = receiver->Options().productCode;
    samples::WriteFile("code", samples::CodeImageSRecord(product, 3, 1, 30000, 1));
    const Bytes code = samples::CodeBytes(product, 3, 1, 30000, 1);
    const Bytes map = WriteImage("map", samples::MapImage("DEMOMAP", "1.00", 4000, 30000, 2));
    unit.codePath = "code";
    unit.dataPath = "map";
    ui.OnDialog("Select upload type").Press(IDC_MAP4_CODE_AND_BASE);
    ui.OnDialog(kUploadFile).Press(CUploadFileDlg::kUploadFile).Repeat();
    const Strings boxes = {
        std::string("Confirm: ") + kOverwrite205With301, "STATUS: Upload of CODE complete",
        std::string("CONTINUE UPLOAD: ") + kPowerOnForMap, "STATUS: Upload complete"};
    ExpectBoxes(boxes);
    EXPECT_EQ(Upload(), boxes) << ui.Log().Dump();
    EXPECT_EQ(DialogsOpened(), (Strings{kConnect, kDatabaseType, "Select upload type", kUploadFile,
                                        kProtocol, kUploadStatus, kConnect, kDatabaseType,
                                        kUploadFile, kProtocol, kUploadStatus}));
    EXPECT_EQ(Sent("CMD,DBUPLOAD"), 2);
    EXPECT_EQ(Sent("CMD,MPUPLOAD,1"), 2);
    EXPECT_EQ(Last(kUploadStatus, IDC_CURRENT_FILE), "Uploading base map file - map");
    EXPECT_EQ(Flash(samples::kCodeLoadAddress, code.size()), code);
    EXPECT_EQ(Flash(0, map.size()), map);
    EXPECT_EQ(unit.codeChosen + unit.dataChosen, 0);
}

// The end report of a record-numbered map run decides whether it counts as complete; an
// image that goes short (a stick pulled) or is rewritten while it is sent never does.
struct ReportCase : NamedCase {
    const char* fault;  // of the simulated receiver; nullptr: none
    LineTap::Mode tamper;
    bool complete;
    const char* caption;  // of the stop box shown; nullptr: none
    const char* text;
    enum class Change { None, CutShort, Rewritten } change = Change::None;
};

class EndReport : public DriverRuns, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(EndReport, DecidesTheOutcomeOfRecordNumberedRuns) {
    const ReportCase& c = GetParam();
    Plug("Solvanta GPS", [&](sim::ReceiverOptions& o) {
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
    if (c.change != ReportCase::Change::None)
        ui.OnDialog(kUploadStatus).After(1000).Run([&c] {
            if (c.change == ReportCase::Change::CutShort) {
                std::filesystem::resize_file("map", 3000);
                return;
            }
            const auto written = std::filesystem::last_write_time("map");
            WriteImage("map", samples::MapImage("DEMOMAP", "1.00", 4000, 25000, 3));
            std::filesystem::last_write_time("map", written + std::chrono::seconds(2));
        });
    const std::string caption = c.caption != nullptr ? c.caption : "STATUS";
    const std::string text = c.caption != nullptr ? c.text : "Upload complete";
    ExpectBoxes({caption + ": " + text});

    EXPECT_EQ(Upload(), Strings{caption + ": " + text}) << ui.Log().Dump();
    EXPECT_EQ(ui.Log().MessageBoxes().back()->flags,
              ui::MB_OK | (c.caption != nullptr ? ui::MB_ICONSTOP : ui::MB_ICONINFORMATION));
    EXPECT_EQ(Last(kUploadStatus, IDC_PERCENT_TEXT) == "100%", c.complete);
    const bool noReport = c.tamper == LineTap::Mode::Mute;
    EXPECT_EQ(
        TempWorkDir::Read(LoaderTrace::kFileName).find("END REPORT - none") != std::string::npos,
        noReport);
}

const ReportCase kReportCases[] = {
    {"clean", nullptr, LineTap::Mode::Pass, true, nullptr, nullptr},
    {"missing_record", "drop:at=3", LineTap::Mode::Pass, false, "SIZE ERROR",
     "Sent 25000 bytes\nUnit received 23020"},
    {"damaged", nullptr, LineTap::Mode::Checksum, false, "CHECKSUM ERROR",
     "Non-zero checksum 0102"},
    {"never_reported", nullptr, LineTap::Mode::Mute, true, nullptr, nullptr},
    {"image_cut_short", nullptr, LineTap::Mode::Pass, false, "ERROR",
     "UPLOAD HAS NOT COMPLETED!\nReading map failed before its end; the upload was stopped.",
     ReportCase::Change::CutShort},
    {"image_rewritten", nullptr, LineTap::Mode::Pass, false, "ERROR",
     "UPLOAD HAS NOT COMPLETED!\nmap was changed while it was being uploaded; the upload was "
     "stopped.",
     ReportCase::Change::Rewritten},
};

INSTANTIATE_TEST_SUITE_P(Reports, EndReport, ::testing::ValuesIn(kReportCases), ByName);

}  // namespace
