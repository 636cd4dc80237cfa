// bench-drivers: an automatic upload of a 1 MiB POI image through the code and POI
// driver, with the scripted user interface on the machine's clock, on a pseudo-terminal to
// tarnwick-receiver-sim --pace at 115200 bit/s, once stepped from the timer alone and once
// driven by input on the port. Reports the data rate of the records against what the line
// can carry, and the processor time the uploader takes while it waits: in the connection
// scan with nobody answering, in the settle pause, and during the upload. Then the whole
// program as a process (tarnwick-uploader --text, an automatic upload through orvane.ini)
// to the same simulator: the Linux program, and the Windows program under Wine when
// TARNWICK_WINE_EXE, WINEPREFIX and TARNWICK_WINE_COM1 (the link its COM1 names) are set.
//
//   bench-drivers [--size BYTES] [--runs N] [--program-size BYTES]

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "command/CConnectDlg.h"
#include "drivers/UploadDialogBase.h"
#include "drivers/UploadDriverFactory.h"
#include "image/ImageReader.h"
#include "platform/SystemClock.h"
#include "platform/Waitable.h"
#include "tests/program/ProgramProcess.h"
#include "tests/support/ReceiverSimProcess.h"
#include "tests/support/scripted/ScriptedBackend.h"
#include "tools/sample-images/SampleImages.h"
#include "ui/Runtime.h"

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

    // The input watch of a desktop loop: input on the port wakes the loop at once.
    void WatchInput(platform::Waitable source, std::function<void()> onReadable) override {
        if (!watchInput)
            return;
        source_ = source;
        onReadable_ = std::move(onReadable);
    }
    void UnwatchInput(platform::Waitable source) override {
        if (source == source_) {
            source_ = {};
            onReadable_ = nullptr;
        }
    }

  private:
    void WaitForInput(int waitMs) {
        if (!source_.Valid()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
        } else if (platform::WaitForAny(std::span(&source_, 1), waitMs) == 0) {
            std::function<void()> callback = onReadable_;
            callback();
        }
    }

    platform::Waitable source_;
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

// Processor time of this process (the uploader; the simulator is another process), in s.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Processor time over wall time from construction to Percent(), as a percentage of a core.
class CpuMeter {
  public:
    double Percent() const {
        const double wall = std::chrono::duration<double>(Steady::now() - wallStart_).count();
        return wall > 0 ? 100.0 * (CpuSeconds() - cpuStart_) / wall : 0.0;
    }

  private:
    double cpuStart_ = CpuSeconds();
    Steady::time_point wallStart_ = Steady::now();
};

struct UploadResult {
    bool completed = false;
    bool flashOk = false;
    double seconds = 0;
    double fraction = 0;    // of the line-rate bound
    double cpuPercent = 0;  // of a core, from the first record to the end
};

// An automatic upload of the image, as from orvane.ini, to a fresh paced simulator.
UploadResult RunUpload(const samples::Bytes& image, const std::filesystem::path& work,
                       bool watchInput) {
    UploadResult outcome;
    const std::string flashPath = (work / "flash.s3").string();
    std::filesystem::remove(flashPath);
    ReceiverSimProcess sim({"--model", "Pathwick", "--pace", "--program-ms", "0", "--after-load",
                            "stay", "--chatter", "0", "--flash-out", flashPath});
    if (sim.Path().empty()) {
        std::fprintf(stderr, "bench-drivers: cannot start %s\n", RECEIVER_SIM_PATH);
        return outcome;
    }
    setenv("ORVANE_COM1", sim.Path().c_str(), 1);

    RealTimeBackend ui;
    ui.watchInput = watchInput;
    CGpsUnit unit;
    CUploaderApp app(unit);
    // The receiver has been identified on COM1.
    unit.family = 15;
    unit.unitName = "Pathwick";
    unit.productCode = "037";
    unit.Open(0, 4800, false);
    unit.dataPath = "poi.bin";
    unit.dataChosen = 1;
    unit.autoUpload = 1;
    app.manualMode = 0;

    UploadDialogBase* dialog = nullptr;
    Steady::time_point firstRecord{};
    std::optional<CpuMeter> cpu;
    ui.observe = [&] {
        if (dialog != nullptr && dialog->run && firstRecord == Steady::time_point{} &&
            dialog->run->Engine().state >= LoaderState::SendRec &&
            dialog->run->Engine().state <= LoaderState::Prog) {
            firstRecord = Steady::now();
            cpu.emplace();
        }
    };
    std::unique_ptr<UploadDriver> driver = CreateUploadDriver(15, app);
    dialog = dynamic_cast<UploadDialogBase*>(driver.get());
    const int result = driver->IsReady() ? driver->RunModal() : 0;
    const Steady::time_point fileDone = Steady::now();
    if (cpu)
        outcome.cpuPercent = cpu->Percent();
    driver.reset();
    unit.Close();
    if (sim.Stop(SIGTERM) != 0)
        std::fprintf(stderr, "bench-drivers: the simulator did not end cleanly\n");

    outcome.flashOk = ReadFlashDump(flashPath) == image;
    if (result != 1 || firstRecord == Steady::time_point{}) {
        std::fprintf(stderr, "bench-drivers: the upload did not complete (result %d)\n", result);
        return outcome;
    }
    const std::size_t size = image.size();
    const std::size_t records =
        (size + FlashLoader::kRecordCapacity - 1) / FlashLoader::kRecordCapacity;
    outcome.completed = true;
    outcome.seconds = std::chrono::duration<double>(fileDone - firstRecord).count();
    const double rate = static_cast<double>(size) / outcome.seconds;
    const double bound =
        kLineBytesPerSecond * static_cast<double>(size) / static_cast<double>(size + records * 10);
    outcome.fraction = rate / bound;
    return outcome;
}

// A pseudo-terminal that nobody answers on: the uploader writes into it and hears nothing.
class SilentPty {
  public:
    SilentPty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        char name[128];
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0 &&
            ptsname_r(master_, name, sizeof name) == 0)
            path_ = name;
    }
    ~SilentPty() {
        if (master_ >= 0)
            close(master_);
    }
    SilentPty(const SilentPty&) = delete;
    SilentPty& operator=(const SilentPty&) = delete;
    const std::string& Path() const { return path_; }

  private:
    int master_ = -1;
    std::string path_;
};

void PointPortsAt(const std::string& com1) {
    setenv("ORVANE_COM1", com1.c_str(), 1);
    for (int n = 2; n <= CConnectDlg::kPortCount; ++n)
        setenv(("ORVANE_COM" + std::to_string(n)).c_str(), "/nonexistent/tty", 1);
}

// The connection scan for the given time, COM1 silent and the other ports absent.
double ScanCpuPercent(int seconds) {
    SilentPty silent;
    PointPortsAt(silent.Path());
    RealTimeBackend ui;
    CGpsUnit unit;
    CConnectDlg scan(unit, unit.autoUpload);
    const Steady::time_point end = Steady::now() + std::chrono::seconds(seconds);
    ui.observe = [&] {
        if (Steady::now() >= end)
            scan.OnCancel();
    };
    const CpuMeter cpu;
    scan.DoModal();
    const double percent = cpu.Percent();
    unit.Close();
    return percent;
}

// The settle pause after a command, on a silent port.
double SettleCpuPercent() {
    SilentPty silent;
    PointPortsAt(silent.Path());
    RealTimeBackend ui;
    CGpsUnit unit;
    unit.Open(0, 4800, false);
    const CpuMeter cpu;
    unit.Settle();
    const double percent = cpu.Percent();
    unit.Close();
    return percent;
}

// Seconds the line needs at least for an image of this size: its bytes and the frame
// bytes of its records.
double LineBoundSeconds(std::size_t size) {
    const std::size_t records =
        (size + FlashLoader::kRecordCapacity - 1) / FlashLoader::kRecordCapacity;
    return static_cast<double>(size + records * 10) / kLineBytesPerSecond;
}

// The program as a process: an automatic upload of a code image through orvane.ini to a
// fresh paced simulator, timed from the first record on screen to "Upload complete".
// Answers the share of the line-rate bound, 0 when the upload did not complete.
// mapCom1 makes COM1 the simulator's device and answers the program's environment.
double ProgramUploadFraction(
    const std::vector<std::string>& program, std::size_t size, const std::filesystem::path& work,
    const std::function<std::map<std::string, std::string>(const std::string&)>& mapCom1) {
    const std::filesystem::path folder = work / "program";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    samples::WriteFile((folder / "code.srec").string(),
                       samples::CodeImageSRecord("037", 1, 0, size, 7));
    samples::WriteFile((folder / "orvane.ini").string(), "[PATHWICK]\nCODE=code.srec\n\nMAP=\n\n");
    ReceiverSimProcess sim({"--model", "Pathwick", "--pace", "--program-ms", "0", "--after-load",
                            "stay", "--chatter", "0"});
    if (sim.Path().empty())
        return 0;
    ProgramProcess uploader({"--text"}, folder.string(), mapCom1(sim.Path()), program);
    if (!uploader.WaitFor("Upload> ", 120000) || !uploader.Answer("yes") ||
        !uploader.WaitFor("PROGRAMMING", 120000)) {
        return 0;
    }
    const Steady::time_point first = Steady::now();
    if (!uploader.WaitFor("Upload complete", 600000))
        return 0;
    const double seconds = std::chrono::duration<double>(Steady::now() - first).count();
    uploader.CloseInput();
    uploader.Wait(30000);
    return LineBoundSeconds(size) / seconds;
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

struct Series {
    std::vector<double> fraction;
    std::vector<double> seconds;
    std::vector<double> cpu;
    bool allOk = true;
};

}  // namespace

int main(int argc, char** argv) {
    std::size_t size = 1024 * 1024;
    int runs = 1;
    std::size_t programSize = 256 * 1024;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--size" && i + 1 < argc) {
            size = std::strtoul(argv[++i], nullptr, 10);
        } else if (arg == "--runs" && i + 1 < argc) {
            runs = std::atoi(argv[++i]);
        } else if (arg == "--program-size" && i + 1 < argc) {
            programSize = std::strtoul(argv[++i], nullptr, 10);
        } else {
            size = 0;
        }
    }
    if (size == 0 || runs < 1) {
        std::fprintf(stderr,
                     "usage: bench-drivers [--size BYTES] [--runs N] [--program-size BYTES]\n");
        return 2;
    }

    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / ("bench-drivers-" + std::to_string(getpid()));
    std::filesystem::create_directories(work);
    std::filesystem::current_path(work);
    const samples::Bytes image = samples::PoiDatabase(size, 2024);
    samples::WriteFile("poi.bin", image);

    constexpr int kScanSeconds = 5;
    const double scanCpu = ScanCpuPercent(kScanSeconds);
    const double settleCpu = SettleCpuPercent();

    Series timerOnly;
    Series inputDriven;
    for (int run = 0; run < runs; ++run) {
        for (Series* series : {&timerOnly, &inputDriven}) {
            const UploadResult r = RunUpload(image, work, series == &inputDriven);
            series->allOk = series->allOk && r.completed && r.flashOk;
            series->fraction.push_back(r.fraction);
            series->seconds.push_back(r.seconds);
            series->cpu.push_back(r.cpuPercent);
        }
    }

    const std::size_t records =
        (size + FlashLoader::kRecordCapacity - 1) / FlashLoader::kRecordCapacity;
    std::printf(
        "image              %zu bytes POI, %zu records, %d bit/s, paced, %d run%s (medians)\n",
        size, records, kBaud, runs, runs == 1 ? "" : "s");
    std::printf("                   timer only   input-driven\n");
    std::printf("records sent in    %8.2f s   %8.2f s\n", Median(timerOnly.seconds),
                Median(inputDriven.seconds));
    std::printf("of line-rate bound %8.1f %%   %8.1f %%\n", 100 * Median(timerOnly.fraction),
                100 * Median(inputDriven.fraction));
    std::printf("cpu during upload  %8.2f %%   %8.2f %%   (of a core)\n", Median(timerOnly.cpu),
                Median(inputDriven.cpu));
    std::printf("flash              %-12s %s\n", timerOnly.allOk ? "= image" : "DIFFERS",
                inputDriven.allOk ? "= image" : "DIFFERS");
    const double timerFraction = Median(timerOnly.fraction);
    std::printf("ratio              input-driven / timer only = %.3f\n",
                timerFraction > 0 ? Median(inputDriven.fraction) / timerFraction : 0.0);
    std::printf("cpu while waiting  connection scan %.2f %% (%d s), settle pause %.2f %%\n",
                scanCpu, kScanSeconds, settleCpu);

    // The program as a process, on Linux and (when it is there) on Windows under Wine.
    using Environment = std::map<std::string, std::string>;
    const double onLinux =
        ProgramUploadFraction({UPLOADER_PATH}, programSize, work, [](const std::string& device) {
            return Environment{{"ORVANE_COM1", device}};
        });
    const char* wineExe = std::getenv("TARNWICK_WINE_EXE");
    const char* wineCom1 = std::getenv("TARNWICK_WINE_COM1");
    double windows = -1;
    if (wineExe != nullptr && wineCom1 != nullptr && std::getenv("WINEPREFIX") != nullptr) {
        windows = ProgramUploadFraction({"/usr/lib/wine/wine64", wineExe}, programSize, work,
                                        [&](const std::string& device) {
                                            std::filesystem::remove(wineCom1);
                                            std::filesystem::create_symlink(device, wineCom1);
                                            return Environment{{"WINEDEBUG", "-all"}};
                                        });
    }
    std::printf("program (--text)   %zu bytes code, automatic upload, paced, %d bit/s\n",
                programSize, kBaud);
    std::printf("  Linux            %8.1f %% of line-rate bound\n", 100 * onLinux);
    if (windows < 0) {
        std::printf("  Windows (Wine)   not measured (make bench prepares it)\n");
    } else {
        std::printf("  Windows (Wine)   %8.1f %% of line-rate bound\n", 100 * windows);
    }

    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(work);
    return timerOnly.allOk && inputDriven.allOk && onLinux > 0 && windows != 0 ? 0 : 1;
}
