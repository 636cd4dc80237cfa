// bench-loader: one upload run of a binary image in address mode through
// tarnwick-receiver-sim on a pseudo-terminal, in real time, ticked every 100 ms as the
// upload drivers tick it. Reports the data rate against what the line can carry.
//
//   bench-loader [--size BYTES] [--sim PATH] [--program-ms MS]

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "command/CommandChannel.h"
#include "image/ImageReader.h"
#include "loader/UploadRun.h"
#include "platform/Clock.h"
#include "tools/sample-images/SampleImages.h"

namespace {

constexpr int kBaud = 115200;
constexpr double kLineBytesPerSecond = kBaud / 10.0;

struct Options {
    std::size_t size = 1024 * 1024;
    std::string sim = TARNWICK_RECEIVER_SIM;
    std::string programMs = "0";
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--size") {
            options.size = std::strtoul(value.c_str(), nullptr, 10);
        } else if (name == "--sim") {
            options.sim = value;
        } else if (name == "--program-ms") {
            options.programMs = value;
        } else {
            return false;
        }
    }
    return (argc % 2) == 1 && options.size > 0;
}

// The simulator as a child process; the first line it prints is its device.
struct Simulator {
    pid_t pid = -1;
    std::string device;

    bool Start(const std::vector<std::string>& args) {
        int out[2];
        if (pipe(out) != 0)
            return false;
        pid = fork();
        if (pid < 0)
            return false;
        if (pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv;
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        char c = 0;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            device += c;
        close(out[0]);
        return !device.empty();
    }
    void Stop() {
        if (pid <= 0)
            return;
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
    }
};

// Compares the flash the simulator wrote out with the image.
bool FlashMatches(const std::string& path, const samples::Bytes& image) {
    ImageReader flash;
    if (!flash.Open(path))
        return false;
    std::vector<std::uint8_t> buffer(ImageReader::MaxRecordLength(4096));
    std::size_t seen = 0;
    for (;;) {
        std::uint32_t address = 0;
        const int count = flash.ReadRecord(buffer, 4096, address);
        if (count <= 0)
            break;
        if (address + static_cast<std::size_t>(count) > image.size() ||
            !std::equal(buffer.begin(), buffer.begin() + count, image.begin() + address))
            return false;
        seen += static_cast<std::size_t>(count);
    }
    return seen == image.size();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: bench-loader [--size BYTES] [--sim PATH] [--program-ms MS]\n");
        return 2;
    }

    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / ("bench-loader-" + std::to_string(getpid()));
    std::filesystem::create_directories(work);
    std::filesystem::current_path(work);
    const samples::Bytes image = samples::RandomBytes(options.size, 2024);
    samples::WriteFile("image.bin", image);

    Simulator sim;
    if (!sim.Start({options.sim, "--start", "loader", "--loader-mode", "address", "--pace",
                    "--program-ms", options.programMs, "--after-load", "stay", "--chatter", "0",
                    "--flash-out", (work / "flash.s3").string()})) {
        std::fprintf(stderr, "bench-loader: cannot start %s\n", options.sim.c_str());
        return 1;
    }
    setenv("ORVANE_COM1", sim.device.c_str(), 1);

    ReceiverIdentity identity;
    CommandChannel channel(identity);
    channel.Open(0, kBaud, false);
    ImageReader reader;
    if (!channel.isOpen || !reader.Open("image.bin")) {
        std::fprintf(stderr, "bench-loader: cannot open %s or the image\n", sim.device.c_str());
        sim.Stop();
        return 1;
    }

    UploadRun run({{.uploadFamily = identity.family}, 0, reader.size, 0}, channel.link.get(),
                  {{&reader, 0}});
    platform::Clock& clock = platform::GetClock();
    std::uint64_t firstRecordMs = 0;
    std::uint64_t ticks = 0;
    std::uint64_t steps = 0;
    std::uint64_t burst = 0;
    std::uint64_t longestBurst = 0;
    run.ObserveSteps([&](LoaderState) {
        ++steps;
        ++burst;
        if (firstRecordMs == 0 && run.Engine().state == LoaderState::WaitRec)
            firstRecordMs = clock.MonotonicMs();
    });
    const std::uint64_t limitMs = 60000 + options.size * 1000 / 4000;
    const UploadRun::Outcome outcome = run.RunToEnd(limitMs, [&] {
        ++ticks;
        longestBurst = std::max(longestBurst, burst);
        burst = 0;
    });
    const std::uint64_t fileDoneMs =
        outcome == UploadRun::Outcome::Complete ? clock.MonotonicMs() : 0;
    run.Engine().CloseTrace();
    channel.Close();
    reader.Close();
    sim.Stop();

    const bool flashOk = FlashMatches((work / "flash.s3").string(), image);
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(work);

    if (fileDoneMs == 0 || firstRecordMs == 0) {
        std::fprintf(stderr, "bench-loader: the upload did not finish (state %d)\n",
                     static_cast<int>(run.Engine().state));
        return 1;
    }
    const std::size_t records =
        (options.size + FlashLoader::kRecordCapacity - 1) / FlashLoader::kRecordCapacity;
    const double seconds = static_cast<double>(fileDoneMs - firstRecordMs) / 1000.0;
    const double rate = static_cast<double>(options.size) / seconds;
    const double bound = kLineBytesPerSecond * static_cast<double>(options.size) /
                         static_cast<double>(options.size + records * 10);
    std::printf("image            %zu bytes, %zu records, address mode, %d bit/s, paced\n",
                options.size, records, kBaud);
    std::printf("records sent in  %.2f s (%llu ticks of %u ms, %llu steps)\n", seconds,
                static_cast<unsigned long long>(ticks), UploadRun::kTickMs,
                static_cast<unsigned long long>(steps));
    std::printf("data rate        %.0f bytes/s\n", rate);
    std::printf("line-rate bound  %.0f bytes/s (%.0f bytes/s less frame overhead)\n", bound,
                kLineBytesPerSecond);
    std::printf("fraction         %.1f %%\n", 100.0 * rate / bound);
    std::printf("longest burst    %llu steps\n", static_cast<unsigned long long>(longestBurst));
    std::printf("flash            %s\n", flashOk ? "equals the image" : "DIFFERS from the image");
    return flashOk ? 0 : 1;
}
