// The flash loader engine on a memory serial device in virtual time, fed any sequence of
// receiver bytes (LoaderFuzzInput.h), as a driver steps it: bursts of Step, a second image
// or Finish once the image is sent. The image file may be cut short during the run. After
// every step, for the image being sent:
//   - the bytes counted as sent never exceed the image and its pad byte;
//   - a data record on the wire lies within the image and its pad byte;
//   - FILE DONE comes only once the image is read to its end, unless the reader failed.
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "image/ImageReader.h"
#include "loader/FlashLoader.h"
#include "platform/MemorySerialBank.h"
#include "platform/VirtualClock.h"
#include "tests/fuzz/FuzzWorkDir.h"
#include "tests/fuzz/LoaderFuzzInput.h"
#include "tests/support/LoaderLine.h"

namespace {

using loaderfuzz::Setup;

constexpr int kLoaderSpeed = 115200;
constexpr int kMaxStepsPerBurst = 100000;
// Quiet periods at the end, so that the engine's timeouts run too.
constexpr int kClosingQuietPeriods = 3;
constexpr std::uint64_t kClosingQuietMs = 10000;
constexpr std::uint32_t kPadBytes = 1;

void Require(bool condition) {
    if (!condition)
        std::abort();
}

// Writes the image files (unless they hold these images already).
class ImageFiles {
  public:
    static void Write(const Setup& setup) {
        if (written_ && written_->sRecord == setup.sRecord &&
            written_->imageSize == setup.imageSize && written_->secondSize == setup.secondSize)
            return;
        const std::string file = setup.ImageFile();
        fuzzwork::WriteFile("image", reinterpret_cast<const std::uint8_t*>(file.data()),
                            file.size());
        const samples::Bytes second = setup.SecondImageBytes();
        fuzzwork::WriteFile("second", second.data(), second.size());
        written_ = setup;
    }
    // Cuts the image file to half its length; it is written again for the next input.
    static void Truncate() {
        std::error_code ignored;
        std::filesystem::resize_file("image", std::filesystem::file_size("image", ignored) / 2,
                                     ignored);
        written_.reset();
    }

  private:
    static inline std::optional<Setup> written_;
};

// An image of the session as the checks need it.
struct Image {
    ImageReader* reader;
    std::uint32_t loadAddress;
    std::size_t size;
};

class Run {
  public:
    Run(const Setup& setup, Image first, Image second, FlashLoader& engine)
        : setup_(setup), first_(first), second_(second), engine_(engine) {}

    void Burst() {
        for (int steps = 0;; ++steps) {
            Require(steps < kMaxStepsPerBurst);
            const LoaderState before = engine_.state;
            const bool again = engine_.Step();
            Check(before);
            if (!again)
                break;
        }
        if (setup_.truncate && !truncated_ && engine_.bytesSent > 0) {
            ImageFiles::Truncate();
            truncated_ = true;
        }
        if (engine_.state != LoaderState::FileDone)
            return;
        if (setup_.secondImage && !secondStarted_) {
            secondStarted_ = true;
            engine_.SecondFile(second_.reader, second_.loadAddress);
            Burst();
        } else {
            engine_.Finish();
        }
    }

  private:
    const Image& Current() const {
        return secondStarted_ && engine_.LoadAddress() == second_.loadAddress ? second_ : first_;
    }
    void Check(LoaderState before) {
        const Image& image = Current();
        const std::uint32_t limit = static_cast<std::uint32_t>(image.size) + kPadBytes;
        Require(engine_.bytesSent <= limit);
        if (engine_.state == LoaderState::WaitRec) {
            const std::uint32_t offset = engine_.SendPosition() - image.loadAddress;
            const std::size_t length = engine_.FrameLength() - LoaderFrame::kRecordOverhead;
            Require(engine_.SendPosition() >= image.loadAddress && offset <= limit &&
                    length <= limit - offset);
        }
        if (engine_.state == LoaderState::FileDone && before != LoaderState::FileDone &&
            !image.reader->ReadFailed())
            Require(ReadToItsEnd(image));
    }
    bool ReadToItsEnd(const Image& image) {
        if (!image.reader->isSRecord)
            return engine_.SendPosition() - image.loadAddress >= image.size;
        // An S-record reader reads on from where it stopped: nothing must be left.
        std::array<std::uint8_t, FlashLoader::kMaxRecordData> probe{};
        std::uint32_t address = 0;
        return image.reader->ReadRecord(probe, FlashLoader::kRecordCapacity, address) == 0;
    }

    const Setup& setup_;
    const Image first_;
    const Image second_;
    FlashLoader& engine_;
    bool truncated_ = false;
    bool secondStarted_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const Setup setup = Setup::From(data[0], data[1]);
    ImageFiles::Write(setup);

    platform::VirtualClock clock;
    platform::ScopedClock clockGuard{clock};
    platform::MemorySerialBank bank;
    platform::MemorySerialDevice& device = bank.Attach(0);
    LoaderLine line;  // after the bank: the port closes before its device goes
    Require(line.Open(0, kLoaderSpeed));
    ImageReader reader;
    Require(reader.Open("image"));
    ImageReader secondReader;
    Require(secondReader.Open("second"));
    FlashLoader engine(LoaderTarget{.uploadFamily = setup.family});
    const std::uint32_t eraseEnd =
        setup.sRecord ? reader.endAddress + 0x2D000000 : setup.loadAddress + reader.size;
    engine.Create(&reader, line.link.get(), setup.recordNumbered, setup.loadAddress, eraseEnd,
                  setup.addressCheck);

    Run run(setup, {&reader, setup.loadAddress, setup.imageSize},
            {&secondReader, loaderfuzz::kSecondLoadAddress, setup.secondSize}, engine);
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
