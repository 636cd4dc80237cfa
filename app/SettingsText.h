#pragma once

#include <cstddef>
#include <string>

// The text of a settings file ("orvane.cfg", "orvane.ini"), read whole. Only a regular file
// is read: a FIFO would hold the start for ever and a device can read without end. And
// only up to kMaxBytes, far more than any settings file of ours holds.
class SettingsText {
  public:
    static constexpr std::size_t kMaxBytes = 64 * 1024;

    enum class Result {
        Read,
        Missing,  // or cannot be opened: the defaults apply, as without the file
        Refused,  // refusal says why, naming the file
    };

    static Result Read(const char* path, std::string& text, std::string& refusal);
};
