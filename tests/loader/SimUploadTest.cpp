// Whole uploads against the simulated receiver, for every engine configuration the drivers use
// with every fault the simulator strikes: the flash equals the image, or the engine waits.
#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "loader/UploadRun.h"
#include "sim/SimulatedReceiver.h"
#include "tests/loader/LoaderFixture.h"

namespace {

enum class Kind { CodeSRecord, Poi, Map, Family2Code, CityDatabase };

// How a driver creates the engine for one kind of image.
struct Config {
    const char* name;
    int family;
    Kind kind;
    std::size_t size;
    std::uint8_t recordNumbered, addressCheck;
    std::uint32_t load, eraseEnd;  // eraseEnd 0: to the reader's size, or the S-record code's end
    bool bootBlock = false;        // the boot block pass: bootReloadPass set
    bool withDatabase = false;     // family 2: the database follows the code by SecondFile
    bool lowWordFirst = false;     // the receiver's two-word reports
};

const Config kConfigs[] = {
    {"code_15", 15, Kind::CodeSRecord, 24000, 0, 1, 0x2D004000, 0},
    {"poi_15", 15, Kind::Poi, 20000, 0, 0, 0, 0},
    {"map_5", 5, Kind::Map, 23000, 1, 1, 0, 0xFFFFFFFF},
    {"code_2", 2, Kind::Family2Code, 18000, 0, 1, 0, 0x9FFFF},
    {"code_and_database_2", 2, Kind::Family2Code, 3000, 0, 1, 0, 0x1FFFFF, false, true, true},
    {"database_2", 2, Kind::CityDatabase, 15000, 0, 1, 0xA0000, 0x1FFFFF, false, false, true},
    {"boot_block_2", 2, Kind::Family2Code, 0x70000 + 12000, 0, 1, 0x70000, 0x9FFFF, true},
};

struct Fault {
    const char* name;
    std::vector<const char*> rules;
    LoaderState end = LoaderState::AllDone;  // or the state the engine waits in for good
    std::uint32_t repromptMs = 0;
    bool onErase = false;  // strikes at the erase, which record-numbered loads do without
    // Where a record-numbered load ends instead: an unconfirmed numbered record is not
    // sent again (it could land at the next number), the run stops.
    std::optional<LoaderState> numberedEnd = std::nullopt;
    // Answers leave the moment a frame has arrived, as from a fast receiver on a
    // pseudo-terminal: none may be lost to the purge around sending a frame.
    bool instant = false;
};

const Fault kFaults[] = {
    {"none", {}},
    {"resend", {"resend81:every=2", "resend88:at=3,every=5"}},
    {.name = "resend_erase", .rules = {"resend85:on=erase,count=2"}, .onErase = true},
    {.name = "lostack_reprompt",
     .rules = {"lostack:which=arrived,at=3,count=2"},
     .repromptMs = 1500},
    // PROG waits a bounded time for the lost acknowledge, then sends the record again.
    {.name = "lostack_arrived",
     .rules = {"lostack:which=arrived,at=3"},
     .numberedEnd = LoaderState::SystemFailure},
    {.name = "lostack_programmed",
     .rules = {"lostack:which=programmed,at=2"},
     .numberedEnd = LoaderState::SystemFailure},
    {.name = "answers_at_once", .rules = {}, .instant = true},
    {"recnum", {"recnum:at=2,every=3"}},
    {"debug", {"debug:every=2"}},
    {"reset", {"reset:at=4,count=2"}},
    {"fail", {"fail:at=3,count=2"}},
    {.name = "fail_erase", .rules = {"fail:on=erase"}, .onErase = true},
    {"badtype", {"badtype"}, LoaderState::InvalidFlash},
    {.name = "badcmd", .rules = {"badcmd:count=2"}, .onErase = true},
    {"garbage", {"garbage:n=3,every=4"}},
    {"silence_a_while", {"silence:at=3,for=9000"}},
    {"silence_for_good", {"silence:at=3,for=0"}, LoaderState::WaitRec},
    // A device that has gone stops the run instead of resending into it for ever.
    {"disconnect", {"disconnect:at=2"}, LoaderState::SystemFailure},
    // So does a receiver that refuses the same record, or the erase, every time (an
    // address outside its flash or the erased range): it would start over for ever.
    {"fail_for_good", {"fail:every=1"}, LoaderState::SystemFailure},
    {.name = "erase_refused_for_good",
     .rules = {"badcmd:every=1"},
     .end = LoaderState::SystemFailure,
     .onErase = true,
     .numberedEnd = LoaderState::AllDone},
};

class SimUpload : public LoaderFixture,
                  public ::testing::WithParamInterface<std::tuple<Config, Fault>> {
  protected:
    void SetUp() override {}  // the receiver is attached by the test
    // The port goes before the receiver it talks to.
    void TearDown() override { line.Close(); }
    // Writes the image file; returns what the flash must hold.
    static Bytes MakeImage(const Config& c) {
        if (c.kind == Kind::CodeSRecord) {
            samples::WriteFile("image", samples::CodeImageSRecord("123", 3, 1, c.size, 11));
            return samples::CodeBytes("123", 3, 1, c.size, 11);
        }
        const Bytes image = c.kind == Kind::Poi ? samples::PoiDatabase(c.size, 11)
                            : c.kind == Kind::Map
                                ? samples::MapImage("LAKES", "1.2", 4000, c.size, 11)
                            : c.kind == Kind::Family2Code ? samples::Family2Code(c.size, 11)
                                                          : samples::CityDatabase(1, c.size, 11);
        samples::WriteFile("image", image);
        return image;
    }

    ImageReader second;
    std::unique_ptr<sim::SimulatedReceiver> receiver;  // outlives the port TearDown closes
};

TEST_P(SimUpload, FlashEqualsTheImageOrTheEngineWaitsWhereItShould) {
    const auto& [c, f] = GetParam();
    const Bytes image = MakeImage(c);
    ASSERT_TRUE(reader.Open("image"));  // S-records or binary, told apart by the reader
    const Bytes database = c.withDatabase ? samples::CityDatabase(1, 9000, 12) : Bytes{};
    TempWorkDir::Write("db.bin", std::string(database.begin(), database.end()));
    ASSERT_TRUE(second.Open("db.bin"));

    sim::ReceiverOptions options;
    options.startInLoader = true;
    options.afterLoad = sim::AfterLoad::Stay;
    options.loaderMode = c.recordNumbered ? sim::LoaderMode::Record : sim::LoaderMode::Address;
    options.debugLowWordFirst = c.lowWordFirst;
    options.timing.repromptMs = f.repromptMs;
    options.timing.pace = !f.instant;
    if (f.instant) {
        options.timing.ackDelayMs = 0;
        options.timing.programMsPerRecord = 0;
    }
    options.seed = 5;
    for (const char* text : f.rules) {
        std::string error;
        ASSERT_TRUE(sim::FaultRule::Parse(text, options.faults.emplace_back(), error)) << error;
    }
    receiver = std::make_unique<sim::SimulatedReceiver>(options);
    bank.Attach(0, receiver.get());
    ASSERT_TRUE(line.Open(0, 115200));

    const std::uint32_t eraseEnd = c.eraseEnd         ? c.eraseEnd
                                   : reader.isSRecord ? reader.endAddress + 0x2D000000
                                                      : reader.size;
    const auto phase = [family = c.family](int value) {
        return family == 2 ? std::optional(value) : std::nullopt;
    };
    std::vector<UploadRun::Image> images{{&reader, c.load, "", 0,
                                          phase(c.bootBlock         ? 2
                                                : c.load == 0xA0000 ? 1
                                                                    : 0)}};
    if (c.withDatabase)
        images.push_back({&second, 0xA0000, "", 0, phase(1)});
    UploadRun run({{.uploadFamily = c.family, .bootReloadPass = c.bootBlock},
                   c.recordNumbered,
                   eraseEnd,
                   c.addressCheck},
                  line.link.get(), images);

    std::size_t longestFrame = 0;
    const LoaderState end = c.recordNumbered && f.numberedEnd ? *f.numberedEnd : f.end;
    using Outcome = UploadRun::Outcome;
    const Outcome ending = end == LoaderState::AllDone         ? Outcome::Complete
                           : end == LoaderState::SystemFailure ? Outcome::Failed
                           : end == LoaderState::InvalidFlash  ? Outcome::Refused
                                                               : Outcome::Running;
    ASSERT_EQ(run.RunToEnd(ending == Outcome::Complete ? 600000 : 60000,
                           [&] {
                               if (run.Engine().state == LoaderState::WaitRec)
                                   longestFrame =
                                       std::max(longestFrame, run.Engine().FrameLength());
                           }),
              ending)
        << run.FailureText();
    ASSERT_TRUE(ending == Outcome::Complete || run.Engine().state == end);
    EXPECT_LE(longestFrame, FlashLoader::kFrameBufferSize);
    EXPECT_TRUE(!f.rules.empty() || receiver->Counters().recordsRejected == 0);
    EXPECT_TRUE(f.rules.empty() || (f.onErase && c.recordNumbered) ||
                receiver->Counters().faultsStruck > 0);
    EXPECT_TRUE(end != LoaderState::InvalidFlash || receiver->Flash().ProgrammedBytes() == 0);
    EXPECT_EQ(receiver->Counters().bytesCorrupted, 0u);
    EXPECT_EQ(run.Engine().StopReason().empty(), end != LoaderState::SystemFailure);
    if (end != LoaderState::AllDone)
        return;  // complete: a record-numbered run also had the size and checksum it sent
    const Bytes expected(image.begin() + (c.bootBlock ? 0x70000 : 0), image.end());
    const std::uint32_t at = reader.isSRecord ? samples::kCodeLoadAddress : c.load;
    EXPECT_EQ(receiver->ReadFlash(at, expected.size()), expected);
    EXPECT_EQ(receiver->ReadFlash(0xA0000, database.size()), database);
    // Nothing else was written but the pad byte after an odd last record.
    EXPECT_EQ(receiver->Flash().ProgrammedBytes(), (expected.size() + 1) / 2 * 2 + database.size());
}

INSTANTIATE_TEST_SUITE_P(AllConfigurations, SimUpload,
                         ::testing::Combine(::testing::ValuesIn(kConfigs),
                                            ::testing::ValuesIn(kFaults)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

}  // namespace
