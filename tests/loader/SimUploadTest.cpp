// Whole uploads against the simulated receiver, for every engine configuration the
// drivers use, each with every fault the simulator can strike: the flash ends up equal
// to the image, or the engine waits where it is meant to, without hanging the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "COMLINK/CommLink.h"
#include "app/CGpsUnit.h"
#include "image/ImageReader.h"
#include "loader/FlashLoader.h"
#include "loader/UploadPhaseSource.h"
#include "platform/MemorySerialBank.h"
#include "platform/VirtualClock.h"
#include "sim/SimulatedReceiver.h"
#include "tests/support/TempWorkDir.h"
#include "tools/sample-images/SampleImages.h"

namespace {

using samples::Bytes;

// How a driver creates the engine for one kind of image.
struct Config {
    const char* name;
    int family;
    enum class Image { CodeSRecord, Poi, Map, Family2Code, CityDatabase } image;
    std::size_t size;
    std::uint8_t recordNumbered;
    std::uint32_t load;
    enum class EraseEnd { CodeEnd, ReaderSize, AllOnes, Fixed } eraseRule;
    std::uint32_t eraseEnd;
    std::uint8_t addressCheck;
    bool bootBlock = false;     // the boot block pass: bootReloadPass set
    bool withDatabase = false;  // family 2: the database follows the code by SecondFile
    bool lowWordFirst = false;  // the receiver's two-word reports
};

const Config kConfigs[] = {
    {"code_15", 15, Config::Image::CodeSRecord, 24000, 0, 0x2D004000, Config::EraseEnd::CodeEnd, 0,
     1},
    {"poi_15", 15, Config::Image::Poi, 20000, 0, 0, Config::EraseEnd::ReaderSize, 0, 0},
    {"base_map_6", 6, Config::Image::Map, 22000, 0, 0, Config::EraseEnd::ReaderSize, 0, 0},
    {"detail_map_6", 6, Config::Image::Map, 21000, 1, 0, Config::EraseEnd::AllOnes, 0, 1},
    {"map_5", 5, Config::Image::Map, 23000, 1, 0, Config::EraseEnd::AllOnes, 0, 1},
    {"code_2", 2, Config::Image::Family2Code, 18000, 0, 0, Config::EraseEnd::Fixed, 0x9FFFF, 1},
    {"code_and_database_2", 2, Config::Image::Family2Code, 12000, 0, 0, Config::EraseEnd::Fixed,
     0x1FFFFF, 1, false, true, true},
    {"database_2", 2, Config::Image::CityDatabase, 15000, 0, 0xA0000, Config::EraseEnd::Fixed,
     0x1FFFFF, 1, false, false, true},
    {"boot_block_2", 2, Config::Image::Family2Code, 0x70000 + 12000, 0, 0x70000,
     Config::EraseEnd::Fixed, 0x9FFFF, 1, true},
};

enum class Outcome { Complete, InvalidFlash, WaitsInProg, WaitsForever };

struct Fault {
    const char* name;
    std::vector<const char*> specs;
    Outcome outcome;
    std::uint32_t repromptMs = 0;
    bool onErase = false;  // strikes at the erase, which record-numbered loads do without
};

void PrintTo(const Config& c, std::ostream* os) {
    *os << c.name;
}
void PrintTo(const Fault& f, std::ostream* os) {
    *os << f.name;
}

const Fault kFaults[] = {
    {"none", {}, Outcome::Complete},
    {"resend", {"resend81:every=2", "resend88:at=3,every=5"}, Outcome::Complete},
    {"resend_erase", {"resend85:on=erase,count=2"}, Outcome::Complete, 0, true},
    {"lostack_both", {"lostack:which=both,at=2,every=4"}, Outcome::Complete},
    {"lostack_reprompt", {"lostack:which=arrived,at=3,count=2"}, Outcome::Complete, 1500},
    {"lostack_arrived", {"lostack:which=arrived,at=3"}, Outcome::WaitsInProg},
    {"lostack_programmed", {"lostack:which=programmed,at=2"}, Outcome::WaitsInProg},
    {"recnum", {"recnum:at=2,every=3"}, Outcome::Complete},
    {"debug", {"debug:every=2"}, Outcome::Complete},
    {"debug_three_words", {"debug:words=3,every=2"}, Outcome::Complete},
    {"reset", {"reset:at=4,count=2"}, Outcome::Complete},
    {"fail", {"fail:at=3,count=2"}, Outcome::Complete},
    {"fail_erase", {"fail:on=erase"}, Outcome::Complete, 0, true},
    {"badtype", {"badtype"}, Outcome::InvalidFlash},
    {"badcmd", {"badcmd:count=2"}, Outcome::Complete, 0, true},
    {"garbage", {"garbage:n=3,every=4"}, Outcome::Complete},
    {"silence_a_while", {"silence:at=3,for=9000"}, Outcome::Complete},
    {"silence_at_handshake", {"silence:on=handshake,for=3000"}, Outcome::Complete},
    {"silence_for_good", {"silence:at=3,for=0"}, Outcome::WaitsForever},
    {"disconnect", {"disconnect:at=2"}, Outcome::WaitsForever},
};

// What the running family-2 driver would tell the engine.
class DriverPhase : public UploadPhaseSource {
  public:
    int UploadPhase() const override { return phase; }
    int phase = 0;
};

class SimUpload : public ::testing::TestWithParam<std::tuple<Config, Fault>> {
  protected:
    void SetUp() override { theUnit.ResetForStart(); }
    void TearDown() override {
        engine.CloseTrace();
        reader.Close();
        second.Close();
        theUnit.ResetForStart();
    }

    Bytes MakeImage(const Config& c, std::uint64_t seed) {
        switch (c.image) {
            case Config::Image::CodeSRecord: {
                samples::WriteFile("image.hex",
                                   samples::CodeImageSRecord("123", 3, 1, c.size, seed));
                return samples::CodeBytes("123", 3, 1, c.size, seed);
            }
            case Config::Image::Poi:
                return Write("image.bin", samples::PoiDatabase(c.size, seed));
            case Config::Image::Map:
                return Write("image.bin", samples::MapImage("LAKES", "1.2", 4000, c.size, seed));
            case Config::Image::Family2Code:
                return Write("image.bin", samples::Family2Code(c.size, seed));
            case Config::Image::CityDatabase:
                return Write("image.bin", samples::CityDatabase(1, c.size, seed));
        }
        return {};
    }
    static Bytes Write(const std::string& name, const Bytes& bytes) {
        samples::WriteFile(name, bytes);
        return bytes;
    }

    TempWorkDir dir;
    platform::VirtualClock clock;
    platform::ScopedClock clockGuard{clock};
    platform::MemorySerialBank bank;
    ImageReader reader;
    ImageReader second;
    FlashLoader engine;
    DriverPhase phase;
    // Outlives the channel, which TearDown closes.
    std::unique_ptr<sim::SimulatedReceiver> receiverHolder;
};

TEST_P(SimUpload, FlashEqualsTheImageOrTheEngineWaitsWhereItShould) {
    const Config& c = std::get<0>(GetParam());
    const Fault& f = std::get<1>(GetParam());

    const Bytes image = MakeImage(c, 11);
    const bool sRecord = c.image == Config::Image::CodeSRecord;
    ASSERT_TRUE(reader.Open(sRecord ? "image.hex" : "image.bin"));
    Bytes database;
    if (c.withDatabase) {
        database = Write("db.bin", samples::CityDatabase(1, 9000, 12));
        ASSERT_TRUE(second.Open("db.bin"));
    }

    sim::ReceiverOptions options;
    options.startInLoader = true;
    options.loaderMode = c.recordNumbered ? sim::LoaderMode::Record : sim::LoaderMode::Address;
    options.afterLoad = sim::AfterLoad::Stay;
    options.debugLowWordFirst = c.lowWordFirst;
    options.timing.repromptMs = f.repromptMs;
    options.timing.pace = true;
    options.seed = 5;
    for (const char* text : f.specs) {
        sim::FaultSpec spec;
        std::string error;
        ASSERT_TRUE(sim::FaultSpec::Parse(text, spec, error)) << text << ": " << error;
        options.faults.push_back(spec);
    }
    receiverHolder = std::make_unique<sim::SimulatedReceiver>(options);
    sim::SimulatedReceiver& receiver = *receiverHolder;
    bank.Attach(0, &receiver);
    theUnit.family = c.family;
    theUnit.bootReloadPass = c.bootBlock ? 1 : 0;
    theUnit.Open(0, 115200, false);
    ASSERT_EQ(theUnit.isOpen, 1);

    std::uint32_t eraseEnd = c.eraseEnd;
    if (c.eraseRule == Config::EraseEnd::CodeEnd)
        eraseEnd = reader.endAddress + 0x2D000000;
    else if (c.eraseRule == Config::EraseEnd::ReaderSize)
        eraseEnd = reader.size;
    else if (c.eraseRule == Config::EraseEnd::AllOnes)
        eraseEnd = 0xFFFFFFFF;
    phase.phase = c.bootBlock ? 2 : c.load == 0xA0000 ? 1 : 0;
    if (c.family == 2)
        engine.SetPhaseSource(&phase);
    engine.Create(&reader, theUnit.link.get(), c.recordNumbered, c.load, eraseEnd, c.addressCheck);

    // The driver's timer: a burst of steps every 100 ms.
    bool secondSent = false;
    bool finished = false;
    bool allDone = false;
    const std::uint64_t limitMs = f.outcome == Outcome::Complete ? 600000 : 60000;
    while (clock.MonotonicMs() < limitMs && !allDone) {
        clock.Advance(100);
        for (int steps = 0;; ++steps) {
            ASSERT_LT(steps, 100000) << "a burst does not end";
            const bool again = engine.Step();
            allDone = engine.state == LoaderState::AllDone;
            if (!again || allDone)
                break;
        }
        if (engine.state == LoaderState::FileDone) {
            if (c.withDatabase && !secondSent) {
                engine.SecondFile(&second, 0xA0000);
                phase.phase = 1;
                secondSent = true;
            } else if (!finished) {
                engine.Finish();
                finished = true;
            }
        }
    }

    if (!f.specs.empty() && !(f.onErase && c.recordNumbered)) {
        EXPECT_GT(receiver.Counters().faultsStruck, 0u);
    }
    const std::uint32_t flashAt = sRecord ? samples::kCodeLoadAddress : c.load;
    const std::size_t from = c.bootBlock ? 0x70000 : 0;
    const Bytes expected(image.begin() + static_cast<long>(from), image.end());
    switch (f.outcome) {
        case Outcome::Complete: {
            ASSERT_TRUE(allDone) << "state " << static_cast<int>(engine.state);
            EXPECT_EQ(receiver.ReadFlash(flashAt, expected.size()), expected);
            std::size_t programmed = expected.size();
            if (c.withDatabase) {
                EXPECT_EQ(receiver.ReadFlash(0xA0000, database.size()), database);
                programmed += database.size();
            }
            // Nothing was written anywhere else.
            EXPECT_EQ(receiver.Flash().ProgrammedBytes(), programmed);
            if (c.recordNumbered) {
                EXPECT_EQ(engine.endChecksum, 0);
                EXPECT_EQ(engine.receivedSize, expected.size());
            }
            break;
        }
        case Outcome::InvalidFlash:
            EXPECT_EQ(engine.state, LoaderState::InvalidFlash);
            EXPECT_EQ(receiver.Flash().ProgrammedBytes(), 0u);
            break;
        case Outcome::WaitsInProg:
            EXPECT_EQ(engine.state, LoaderState::Prog);
            break;
        case Outcome::WaitsForever:
            EXPECT_FALSE(allDone);
            EXPECT_NE(engine.state, LoaderState::FileDone);
            break;
    }
}

std::string Name(const ::testing::TestParamInfo<SimUpload::ParamType>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(AllConfigurations, SimUpload,
                         ::testing::Combine(::testing::ValuesIn(kConfigs),
                                            ::testing::ValuesIn(kFaults)),
                         Name);

TEST(SimUploadLongLines, SRecordRecordsNeverOutgrowTheFrameAndLoseNothing) {
    TempWorkDir dir;
    platform::VirtualClock clock;
    platform::ScopedClock guard(clock);
    theUnit.ResetForStart();
    theUnit.family = 15;
    // Lines of 250 bytes after a line of 229: the eighth line of a record would take it
    // from 1979 to 2229 bytes, more than a frame carries.
    const Bytes head = samples::RandomBytes(229, 3);
    const Bytes rest = samples::RandomBytes(20 * 250, 4);
    samples::SRecordFormat format;
    format.bytesPerLine = 250;
    samples::WriteFile("long.hex",
                       samples::ToSRecords({{0x2D004000, head}, {0x2D004000 + 229, rest}}, format));
    Bytes image = head;
    image.insert(image.end(), rest.begin(), rest.end());
    ImageReader reader;
    ASSERT_TRUE(reader.Open("long.hex"));

    sim::ReceiverOptions options;
    options.startInLoader = true;
    options.loaderMode = sim::LoaderMode::Address;
    options.afterLoad = sim::AfterLoad::Stay;
    sim::SimulatedReceiver receiver(options);
    platform::MemorySerialBank bank;
    bank.Attach(0, &receiver);
    theUnit.Open(0, 115200, false);
    FlashLoader engine;
    engine.Create(&reader, theUnit.link.get(), 0, 0x2D004000, reader.endAddress + 0x2D000000, 1);
    std::size_t longest = 0;
    for (int tick = 0; tick < 600 && engine.state != LoaderState::FileDone; ++tick) {
        clock.Advance(100);
        while (engine.Step()) {
        }
        longest = std::max(longest, engine.FrameLength() - 10);
    }
    EXPECT_EQ(engine.state, LoaderState::FileDone);
    EXPECT_LE(longest, FlashLoader::kMaxRecordData);
    EXPECT_EQ(receiver.Counters().recordsRejected, 0u);
    EXPECT_EQ(receiver.ReadFlash(0x2D004000, image.size()), image);
    // Only the image, and the pad byte after its odd last record.
    EXPECT_EQ(receiver.Flash().ProgrammedBytes(), (image.size() + 1) / 2 * 2);
    engine.CloseTrace();
    reader.Close();
    theUnit.ResetForStart();
}

TEST(SimUploadSilence, AReceiverThatNeverSaysHelloLeavesTheEngineInNoConnect) {
    TempWorkDir dir;
    platform::VirtualClock clock;
    platform::ScopedClock guard(clock);
    theUnit.ResetForStart();
    samples::WriteFile("image.bin", samples::PoiDatabase(5000, 1));
    ImageReader reader;
    ASSERT_TRUE(reader.Open("image.bin"));
    sim::ReceiverOptions options;  // running, not in its loader
    sim::SimulatedReceiver receiver(options);
    platform::MemorySerialBank bank;
    bank.Attach(0, &receiver);
    theUnit.Open(0, 115200, false);
    FlashLoader engine;
    engine.Create(&reader, theUnit.link.get(), 0, 0, reader.size, 0);
    for (int tick = 0; tick < 600; ++tick) {
        clock.Advance(100);
        while (engine.Step()) {
        }
    }
    EXPECT_EQ(engine.state, LoaderState::NoConnect);
    engine.CloseTrace();
    reader.Close();
    theUnit.ResetForStart();
}

}  // namespace
