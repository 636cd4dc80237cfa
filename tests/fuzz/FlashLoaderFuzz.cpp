// The flash loader engine on a memory serial device in virtual time, fed any sequence of
// receiver bytes (LoaderFuzzInput.h), as a driver steps it: bursts of Step, Finish once
// the image is sent. After every step:
//   - the bytes counted as sent never exceed the image and its pad byte;
//   - a data record on the wire lies within the image and its pad byte;
//   - FILE DONE comes only once the image is read to its end, unless the reader failed.
#include <cstdlib>
#include <memory>

#include "COMLINK/CommLink.h"
#include "COMLINK/LineSettings.h"
#include "COMLINK/Win32CommPort.h"
#include "image/ImageReader.h"
#include "loader/FlashLoader.h"
#include "platform/MemorySerialBank.h"
#include "platform/VirtualClock.h"
#include "tests/fuzz/FuzzWorkDir.h"
#include "tests/fuzz/LoaderFuzzInput.h"

namespace {

using loaderfuzz::Setup;

constexpr int kLoaderSpeed = 115200;
constexpr int kMaxStepsPerBurst = 100000;
// Quiet periods at the end, so that the engine's timeouts run too.
constexpr int kClosingQuietPeriods = 3;
constexpr std::uint64_t kClosingQuietMs = 10000;
constexpr std::uint32_t kPadBytes = 1;

// The port, link and line settings, as the command channel lends them to the engine.
struct Line {
    bool Open() {
        port = std::make_unique<Win32CommPort>(0, 4096, 2048, 0);
        if (!port->IsOpen())
            return false;
        link = std::make_unique<CommLink>(*port);
        settings = std::make_unique<LineSettings>(link.get());
        return settings->SetBaud(kLoaderSpeed) == 0 && link->SetTxQueueSize(6144) == 0;
    }
    ~Line() {
        settings.reset();
        link.reset();
        port.reset();
    }
    std::unique_ptr<Win32CommPort> port;
    std::unique_ptr<CommLink> link;
    std::unique_ptr<LineSettings> settings;
};

void Require(bool condition) {
    if (!condition)
        std::abort();
}

// Writes the image file when the set-up asks for another one than the file holds.
void WriteImage(const Setup& setup) {
    static int writtenConfig = -1;
    static std::size_t writtenSize = 0;
    if (writtenConfig == int{setup.sRecord} && writtenSize == setup.imageSize)
        return;
    const std::string file = setup.ImageFile();
    fuzzwork::WriteFile("image", reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
    writtenConfig = setup.sRecord;
    writtenSize = setup.imageSize;
}

class Run {
  public:
    Run(const Setup& setup, ImageReader& reader, FlashLoader& engine)
        : setup_(setup), reader_(reader), engine_(engine) {}

    void Burst() {
        for (int steps = 0;; ++steps) {
            Require(steps < kMaxStepsPerBurst);
            const LoaderState before = engine_.state;
            const bool again = engine_.Step();
            Check(before);
            if (!again)
                break;
        }
        if (engine_.state == LoaderState::FileDone)
            engine_.Finish();
    }

  private:
    void Check(LoaderState before) {
        const std::uint32_t limit = static_cast<std::uint32_t>(setup_.imageSize) + kPadBytes;
        Require(engine_.bytesSent <= limit);
        if (engine_.state == LoaderState::WaitRec) {
            const std::uint32_t offset = engine_.SendPosition() - setup_.loadAddress;
            const std::size_t length = engine_.FrameLength() - LoaderFrame::kRecordOverhead;
            Require(engine_.SendPosition() >= setup_.loadAddress && offset <= limit &&
                    length <= limit - offset);
        }
        if (engine_.state == LoaderState::FileDone && before != LoaderState::FileDone &&
            !reader_.ReadFailed())
            Require(ReadToItsEnd());
    }
    bool ReadToItsEnd() {
        if (!reader_.isSRecord)
            return engine_.SendPosition() - setup_.loadAddress >= setup_.imageSize;
        // An S-record reader reads on from where it stopped: nothing must be left.
        std::array<std::uint8_t, FlashLoader::kMaxRecordData> probe{};
        std::uint32_t address = 0;
        return reader_.ReadRecord(probe, FlashLoader::kRecordCapacity, address) == 0;
    }

    const Setup& setup_;
    ImageReader& reader_;
    FlashLoader& engine_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const Setup setup = Setup::From(data[0], data[1]);
    WriteImage(setup);

    platform::VirtualClock clock;
    platform::ScopedClock clockGuard{clock};
    platform::MemorySerialBank bank;
    platform::MemorySerialDevice& device = bank.Attach(0);
    Line line;  // after the bank: the port closes before its device goes
    Require(line.Open());
    ImageReader reader;
    Require(reader.Open("image"));
    FlashLoader engine(LoaderTarget{.uploadFamily = setup.family});
    const std::uint32_t eraseEnd =
        setup.sRecord ? reader.endAddress + 0x2D000000 : setup.loadAddress + reader.size;
    engine.Create(&reader, line.link.get(), setup.recordNumbered, setup.loadAddress, eraseEnd,
                  setup.addressCheck);

    Run run(setup, reader, engine);
    run.Burst();
    for (std::size_t at = 2; at < size;) {
        const std::uint8_t header = data[at++];
        const std::size_t count = std::min<std::size_t>(header & 0x3F, size - at);
        clock.Advance(loaderfuzz::kQuietMs[header >> 6]);
        device.DeliverToHost(data + at, count);
        at += count;
        run.Burst();
        device.TakeSent();
    }
    for (int i = 0; i < kClosingQuietPeriods; ++i) {
        clock.Advance(kClosingQuietMs);
        run.Burst();
    }
    engine.CloseTrace();
    return 0;
}
