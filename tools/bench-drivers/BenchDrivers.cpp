// bench-drivers: an automatic upload of a 1 MiB POI image through the code and POI
// driver, with the scripted user interface on the machine's clock, on a pseudo-terminal to
// tarnwick-receiver-sim --pace at 115200 bit/s. Reports the data rate of the records
// against what the line can carry.
//
//   bench-drivers [--size BYTES] [--timer-only]

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "drivers/UploadDialogBase.h"
#include "image/ImageReader.h"
#include "platform/SystemClock.h"
#include "tests/support/ReceiverSimProcess.h"
#include "tools/sample-images/SampleImages.h"
#include "ui/Runtime.h"
#include "ui/scripted/ScriptedBackend.h"

namespace {

using Steady = std::chrono::steady_clock;

constexpr int kBaud = 115200;
constexpr double kLineBytesPerSecond = kBaud / 10.0;

// The scripted backend on the machine's clock: timers fall due in real time, the loops
// sleep until the next one, and waits such as the settle pause after a load command last
// as long as on a real line. Before each round of the loop it lets the bench look on.
class RealTimeBackend : public ui::ScriptedBackend {
  public:
    RealTimeBackend() { SetTimeLimit(UINT64_MAX); }

    std::function<void()> observe;
    bool watchInput = true;

    void RunModalLoop(const std::function<bool()>& done) override {
        ScriptedBackend::RunModalLoop([&] {
            const std::optional<std::uint64_t> next = ui::Runtime::Get().Timers().NextDue();
            const std::uint64_t now = platform::GetClock().MonotonicMs();
            const int waitMs = next && *next > now ? static_cast<int>(*next - now) : 0;
            WaitForInput(waitMs);
            if (observe)
                observe();
            return done();
        });
    }

    // The descriptor watch of a desktop loop: input on the port wakes the loop at once.
    void WatchFd(int fd, std::function<void()> onReadable) override {
        if (!watchInput)
            return;
        fd_ = fd;
        onReadable_ = std::move(onReadable);
    }
    void UnwatchFd(int fd) override {
        if (fd == fd_) {
            fd_ = -1;
            onReadable_ = nullptr;
        }
    }

  private:
    void WaitForInput(int waitMs) {
        pollfd watched{fd_, POLLIN, 0};
        if (fd_ < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
        } else if (poll(&watched, 1, waitMs) > 0 && (watched.revents & POLLIN) != 0) {
            std::function<void()> callback = onReadable_;
            callback();
        }
    }

    int fd_ = -1;
    std::function<void()> onReadable_;

    platform::SystemClock clock_;
    platform::ScopedClock useClock_{clock_};
};

// The bytes of the simulator's flash dump, in address order from 0.
samples::Bytes ReadFlashDump(const std::string& path) {
    samples::Bytes flash;
    ImageReader dump;
    if (!dump.Open(path))
        return flash;
    std::vector<std::uint8_t> buffer(ImageReader::MaxRecordLength(4096));
    std::uint32_t address = 0;
    for (int count; (count = dump.ReadRecord(buffer, 4096, address)) > 0;) {
        if (flash.size() < address + static_cast<std::size_t>(count))
            flash.resize(address + static_cast<std::size_t>(count), 0xFF);
        std::copy_n(buffer.begin(), count, flash.begin() + address);
    }
    return flash;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t size = 1024 * 1024;
    bool watchInput = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--size" && i + 1 < argc) {
            size = std::strtoul(argv[++i], nullptr, 10);
        } else if (arg == "--timer-only") {
            watchInput = false;
        } else {
            size = 0;
        }
    }
    if (size == 0) {
        std::fprintf(stderr, "usage: bench-drivers [--size BYTES] [--timer-only]\n");
        return 2;
    }

    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / ("bench-drivers-" + std::to_string(getpid()));
    std::filesystem::create_directories(work);
    std::filesystem::current_path(work);
    const samples::Bytes image = samples::PoiDatabase(size, 2024);
    samples::WriteFile("poi.bin", image);

    int status = 1;
    {
        ReceiverSimProcess sim({"--model", "Pathwick", "--pace", "--program-ms", "0",
                                "--after-load", "stay", "--chatter", "0", "--flash-out",
                                (work / "flash.s3").string()});
        if (sim.Path().empty()) {
            std::fprintf(stderr, "bench-drivers: cannot start %s\n", RECEIVER_SIM_PATH);
            return 1;
        }
        setenv("ORVANE_COM1", sim.Path().c_str(), 1);

        RealTimeBackend ui;
        ui.watchInput = watchInput;
        // An automatic run from orvane.ini: the receiver has been identified on COM1.
        theUnit.family = 15;
        theUnit.unitName = "Pathwick";
        theUnit.productCode = "037";
        theUnit.Open(0, 4800, false);
        theUnit.dataPath = "poi.bin";
        theUnit.dataChosen = 1;
        theUnit.autoUpload = 1;
        theApp.manualMode = 0;

        UploadDialogBase* dialog = nullptr;
        Steady::time_point firstRecord{};
        ui.observe = [&] {
            if (dialog != nullptr && dialog->engine && firstRecord == Steady::time_point{} &&
                dialog->engine->state >= LoaderState::SendRec &&
                dialog->engine->state <= LoaderState::Prog)
                firstRecord = Steady::now();
        };
        std::unique_ptr<UploadDriver> driver = CreateUploadDriver(15);
        dialog = dynamic_cast<UploadDialogBase*>(driver.get());
        const int result = driver->IsReady() ? driver->RunModal() : 0;
        const Steady::time_point fileDone = Steady::now();
        driver.reset();
        if (sim.Stop(SIGTERM) != 0)
            std::fprintf(stderr, "bench-drivers: the simulator did not end cleanly\n");

        const bool flashOk = ReadFlashDump((work / "flash.s3").string()) == image;
        if (result != 1 || firstRecord == Steady::time_point{}) {
            std::fprintf(stderr, "bench-drivers: the upload did not complete (result %d)\n",
                         result);
        } else {
            const std::size_t records =
                (size + FlashLoader::kRecordCapacity - 1) / FlashLoader::kRecordCapacity;
            const double seconds = std::chrono::duration<double>(fileDone - firstRecord).count();
            const double rate = static_cast<double>(size) / seconds;
            const double bound = kLineBytesPerSecond * static_cast<double>(size) /
                                 static_cast<double>(size + records * 10);
            std::printf("image            %zu bytes POI, %zu records, %d bit/s, paced\n", size,
                        records, kBaud);
            std::printf("records sent in  %.2f s (%s)\n", seconds,
                        watchInput ? "stepped on input and on the 100 ms timer"
                                   : "stepped on the 100 ms timer only");
            std::printf("data rate        %.0f bytes/s\n", rate);
            std::printf("line-rate bound  %.0f bytes/s\n", bound);
            std::printf("fraction         %.1f %%\n", 100.0 * rate / bound);
            std::printf("flash            %s\n",
                        flashOk ? "equals the image" : "DIFFERS from the image");
            status = flashOk ? 0 : 1;
        }
    }
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(work);
    return status;
}
