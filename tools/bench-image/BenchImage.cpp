// bench-image: reads an 8 MiB image written as S3 records (about 20 MiB of text) end to
// end through ImageReader::ReadRecord with capacity 1980, as the flash loader does.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "image/ImageReader.h"
#include "tools/sample-images/SampleImages.h"

namespace {

constexpr std::size_t kImageSize = 8 * 1024 * 1024;
constexpr std::size_t kCapacity = 1980;
constexpr int kRounds = 5;

}  // namespace

int main() {
    samples::Bytes image = samples::RandomBytes(kImageSize, 2024);
    std::string text = samples::ToSRecords({{samples::kCodeLoadAddress, image}});
    std::filesystem::path path = std::filesystem::temp_directory_path() / "bench-image.srec";
    if (!samples::WriteFile(path.string(), text)) {
        std::fprintf(stderr, "bench-image: cannot write %s\n", path.string().c_str());
        return 1;
    }

    std::vector<double> seconds;
    std::vector<std::uint8_t> buffer(ImageReader::MaxRecordLength(kCapacity));
    bool intact = true;
    for (int round = 0; round < kRounds; ++round) {
        samples::Bytes read;
        read.reserve(kImageSize);
        std::uint32_t expectedAddress = samples::kCodeLoadAddress;
        auto start = std::chrono::steady_clock::now();
        ImageReader reader;
        reader.Open(path.string());
        for (;;) {
            std::uint32_t address = 0;
            int count = reader.ReadRecord(std::span<std::uint8_t>(buffer), kCapacity, address);
            if (count <= 0)
                break;
            intact = intact && address == expectedAddress;
            expectedAddress += static_cast<std::uint32_t>(count);
            read.insert(read.end(), buffer.begin(), buffer.begin() + count);
        }
        reader.Close();
        auto stop = std::chrono::steady_clock::now();
        seconds.push_back(std::chrono::duration<double>(stop - start).count());
        intact = intact && read == image;
    }
    std::filesystem::remove(path);

    std::sort(seconds.begin(), seconds.end());
    double median = seconds[seconds.size() / 2];
    double textMiB = static_cast<double>(text.size()) / (1024.0 * 1024.0);
    double imageMiB = static_cast<double>(kImageSize) / (1024.0 * 1024.0);
    std::printf("bench-image: %.1f MiB image as %.1f MiB of S3 text, capacity %zu, %d rounds\n",
                imageMiB, textMiB, kCapacity, kRounds);
    std::printf(
        "bench-image: median %.3f s (best %.3f s): %.1f MiB/s of text, %.1f MiB/s of data\n",
        median, seconds.front(), textMiB / median, imageMiB / median);
    if (!intact) {
        std::printf("bench-image: MISMATCH: the bytes read differ from the image\n");
        return 1;
    }
    return 0;
}
