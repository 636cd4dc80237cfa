#include "app/SettingsText.h"

#include <cstdio>
#include <memory>

#include "platform/FileStatus.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

SettingsText::Result SettingsText::Read(const char* path, std::string& text, std::string& refusal) {
    text.clear();
    refusal.clear();
    const platform::FileStatus status = platform::StatusOf(path);
    if (status.kind == platform::FileStatus::Kind::Missing)
        return Result::Missing;
    const std::string tooLarge = std::string(path) + " was not read: it is larger than " +
                                 std::to_string(kMaxBytes) + " bytes.";
    if (!status.IsRegular()) {
        refusal = std::string(path) + " was not read: it is not a regular file.";
        return Result::Refused;
    }
    if (status.size > kMaxBytes) {
        refusal = tooLarge;
        return Result::Refused;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file)
        return Result::Missing;
    // One byte more than allowed tells a file that has grown since it was looked at.
    text.resize(kMaxBytes + 1);
    text.resize(std::fread(text.data(), 1, text.size(), file.get()));
    if (text.size() > kMaxBytes) {
        text.clear();
        refusal = tooLarge;
        return Result::Refused;
    }
    return Result::Read;
}
