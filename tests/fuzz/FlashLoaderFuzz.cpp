// An upload run on a memory serial device in virtual time, fed any sequence of receiver
// bytes (the input is described below), each chunk as input on the port, quiet periods as ticks.
// The image file may be cut short during the run. After every step, for the image being sent:
//   - the bytes counted as sent never exceed the image and its pad byte;
//   - a data record on the wire lies within the image and its pad byte;
//   - FILE DONE comes only once the image is read to its end, unless the reader failed.
#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "image/ImageReader.h"
#include "loader/UploadRun.h"
#include "platform/MemorySerialBank.h"
#include "platform/VirtualClock.h"
#include "tests/fuzz/FuzzWorkDir.h"
#include "tests/support/LoaderLine.h"
#include "tools/sample-images/SampleImages.h"

namespace {

// The input:
//
//   byte 0   the engine's set-up (Setup::From)
//   byte 1   the image size (Setup::From)
//   then     chunks: a header byte (bits 0-5: count of receiver bytes that follow, bits
//            6-7: how long the line is quiet before them, kQuietMs), then those bytes.
constexpr std::array<std::uint64_t, 4> kQuietMs = {0, 100, 1000, 10000};
constexpr std::uint32_t kBinaryLoadAddress = 0xA0000;
// A second image (a database after family-2 code) goes here.
constexpr std::uint32_t kSecondLoadAddress = 0x1A0000;

struct Setup {
    bool recordNumbered = false;
    bool addressCheck = false;
    bool sRecord = false;
    int family = 15;
    std::size_t imageSize = 0;  // data bytes of the image
    std::uint32_t loadAddress = 0;
    // The image file is cut to half its length once the first record is programmed.
    bool truncate = false;
    // A second binary image follows the first, as a database follows code.
    bool secondImage = false;
    std::size_t secondSize = 0;

    static Setup From(std::uint8_t config, std::uint8_t sizeByte) {
        Setup s;
        s.recordNumbered = (config & 1) != 0;
        s.addressCheck = (config & 2) != 0;
        s.sRecord = (config & 4) != 0;
        s.family = (config & 8) != 0 ? 2 : 15;
        if (s.sRecord) {
            s.imageSize = samples::kMinCodeSize + std::size_t{sizeByte} * 8 + ((config >> 4) & 1);
            s.loadAddress = samples::kCodeLoadAddress;
        } else {
            s.imageSize = std::size_t{sizeByte} * 29 + ((config >> 4) & 1);
            s.loadAddress = (config & 0x20) != 0 ? kBinaryLoadAddress : 0;
        }
        s.truncate = (config & 0x40) != 0;
        s.secondImage = (config & 0x80) != 0;
        s.secondSize = std::size_t{sizeByte} * 13 + 1;
        return s;
    }
    std::string ImageFile() const {
        if (sRecord)
            return samples::CodeImageSRecord("123", 3, 1, imageSize, 11);
        const samples::Bytes bytes = samples::RandomBytes(imageSize, 11);
        return std::string(bytes.begin(), bytes.end());
    }
};

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

// An image of the session as the checks need it.
struct Image {
    ImageReader* reader;
    std::uint32_t loadAddress;
    std::size_t size;
};

// The checks, after every step of the run.
class Checks {
  public:
    Checks(const Setup& setup, Image first, Image second, UploadRun& run)
        : setup_(setup), first_(first), second_(second), run_(run), engine_(run.Engine()) {
        run.ObserveSteps([this](LoaderState before) {
            Require(++steps_ < kMaxStepsPerBurst);
            Check(before);
        });
    }
    // A tick, or input: one burst of the run. The image file may be cut short once a
    // record is programmed.
    void Advance(bool input) {
        steps_ = 0;
        input ? run_.InputArrived() : run_.Tick();
        if (setup_.truncate && !truncated_ && engine_.bytesSent > 0) {
            std::error_code ignored;
            const std::uintmax_t size = std::filesystem::file_size("image", ignored);
            std::filesystem::resize_file("image", size / 2, ignored);
            truncated_ = true;
        }
    }

  private:
    const Image& Current() const {
        return run_.CurrentIndex() > 0 && engine_.LoadAddress() == second_.loadAddress ? second_
                                                                                       : first_;
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
    UploadRun& run_;
    const FlashLoader& engine_;
    int steps_ = 0;
    bool truncated_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const Setup setup = Setup::From(data[0], data[1]);
    TempWorkDir::Write("image", setup.ImageFile());
    const samples::Bytes second = samples::RandomBytes(setup.secondSize, 12);
    TempWorkDir::Write("second", std::string(second.begin(), second.end()));

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
    const std::uint32_t eraseEnd =
        setup.sRecord ? reader.endAddress + 0x2D000000 : setup.loadAddress + reader.size;
    std::vector<UploadRun::Image> images{{&reader, setup.loadAddress}};
    if (setup.secondImage)
        images.push_back({&secondReader, kSecondLoadAddress});
    UploadRun run(
        {{.uploadFamily = setup.family}, setup.recordNumbered, eraseEnd, setup.addressCheck},
        line.link.get(), images);

    Checks checks(setup, {&reader, setup.loadAddress, setup.imageSize},
                  {&secondReader, kSecondLoadAddress, setup.secondSize}, run);
    checks.Advance(false);
    for (std::size_t at = 2; at < size;) {
        const std::uint8_t header = data[at++];
        const std::size_t count = std::min<std::size_t>(header & 0x3F, size - at);
        clock.Advance(kQuietMs[header >> 6]);
        device.DeliverToHost(data + at, count);
        at += count;
        checks.Advance(true);
        device.TakeSent();
    }
    for (int i = 0; i < kClosingQuietPeriods; ++i) {
        clock.Advance(kClosingQuietMs);
        checks.Advance(false);
    }
    run.Engine().CloseTrace();
    return 0;
}
