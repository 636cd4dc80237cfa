#include "image/ImageReader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "image/SRecordCheck.h"
#include "platform/Utf8Path.h"

namespace {

// The end of an S-record image is measured in its last 256 bytes. When lines are so long
// that no S3 line begins there, a longer tail is searched: one that holds at least two
// lines of the longest kind, so a valid image is not refused for its line length.
constexpr std::size_t kTail = 256;
constexpr std::size_t kLongTail = 8 * LineReader::kMaxLine;

// The address of the last data byte of an S3 line, within 24 bits.
std::uint32_t LastByteAddress(unsigned count, std::uint32_t address) {
    std::uint32_t last = address + count - 6;
    return last > 0xFFFFFF ? last & 0xFFFFFF : last;
}

bool S3LineAt(std::string_view tail, std::size_t lineFeed, std::uint32_t& last) {
    if (tail[lineFeed] != '\n')
        return false;
    unsigned count = 0;
    std::uint32_t address = 0;
    if (!SRecordLine::ParseS3Header(tail.substr(lineFeed + 1), count, address))
        return false;
    last = LastByteAddress(count, address);
    return true;
}

}  // namespace

ImageReader::ImageReader() = default;

ImageReader::~ImageReader() {
    Close();
}

bool ImageReader::Open(const std::string& path) {
    Close();
    valid = 0;
    isSRecord = 0;
    size = 0;
    endAddress = 0;
    versionMajor = 0;
    versionMinor = 0;
    versionFound = false;
    problem.clear();
    fileLength_ = 0;
    dataBytes_ = 0;
    lowestAddress_ = 0;
    highestAddress_ = 0;
    textStart_ = 0;
    readFailed_ = false;
    if (path.empty()) {
        problem = "No file was chosen.";
        return false;
    }

    fileName = path;
    // Only a plain file is an image: a directory would "open" with a bogus length, and
    // opening a FIFO could wait for ever.
    status_ = platform::StatusOf(path);
    if (!status_.IsRegular()) {
        problem = path + (status_.kind == platform::FileStatus::Kind::Missing
                              ? " does not exist."
                              : " is not a regular file.");
        return false;
    }
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        problem = path + " cannot be read: " + std::strerror(errno) + ".";
        return false;
    }
    const std::string unreadable = path + " could not be read.";
    if (std::fseek(file_, 0, SEEK_END) != 0) {
        problem = unreadable;
        return false;
    }
    long length = std::ftell(file_);
    // size and endAddress are 32-bit; no receiver holds an image of 4 GiB.
    if (length < 0 || static_cast<unsigned long>(length) > 0xFFFFFFFFul) {
        problem = length < 0 ? unreadable : path + " is too large for the receiver.";
        return false;
    }
    if (std::fseek(file_, 0, SEEK_SET) != 0) {
        problem = unreadable;
        return false;
    }
    size = endAddress = static_cast<std::uint32_t>(length);
    fileLength_ = static_cast<std::uint64_t>(length);
    dataBytes_ = fileLength_;
    valid = 1;
    if (!LooksLikeSRecords())
        return true;

    isSRecord = 1;
    if (!CheckLines()) {
        valid = 0;
    } else if (!MeasureTail(fileLength_, kTail) && !MeasureTail(fileLength_, kLongTail)) {
        problem = fileName + " is not a valid S-record image: no S3 line near its end.";
        valid = 0;
    }
    Rewind();
    return valid != 0;
}

bool ImageReader::LooksLikeSRecords() {
    std::array<char, 4096> start{};
    std::size_t got = std::fread(start.data(), 1, start.size(), file_);
    std::string_view text(start.data(), got);
    const bool byteOrderMark = text.starts_with("\xEF\xBB\xBF");
    if (byteOrderMark)
        text.remove_prefix(3);
    std::size_t first = text.find_first_not_of("\r\n \t");
    if (first == std::string_view::npos || first + 1 >= text.size())
        return false;
    if (text[first] != 'S' || text[first + 1] < '0' || text[first + 1] > '9')
        return false;
    textStart_ = byteOrderMark ? 3 : 0;
    return true;
}

bool ImageReader::CheckLines() {
    Rewind();
    SRecordCheck check;
    while (lines_.Next()) {
        if (!check.Add(lines_.Line())) {
            problem = fileName + " is not a valid S-record image: line " +
                      std::to_string(check.LineNumber()) + " " + check.Fault() + ".";
            return false;
        }
    }
    if (std::ferror(file_)) {
        problem = fileName + " could not be read.";
        return false;
    }
    dataBytes_ = check.DataBytes();
    lowestAddress_ = check.LowestAddress();
    highestAddress_ = check.HighestAddress();
    return true;
}

bool ImageReader::Fits(std::uint32_t loadAddress, std::uint32_t eraseEnd) {
    if (valid == 0)
        return false;
    if (dataBytes_ == 0) {
        problem = fileName + (fileLength_ == 0 ? " is empty." : " holds no data to upload.");
        return false;
    }
    const std::uint64_t lowest = isSRecord ? lowestAddress_ : loadAddress;
    const std::uint64_t highest = isSRecord ? highestAddress_ : loadAddress + dataBytes_ - 1;
    if (lowest >= loadAddress && highest <= eraseEnd)
        return true;
    if (!isSRecord && eraseEnd >= loadAddress) {
        problem = fileName + " is too large for the receiver: " + std::to_string(dataBytes_) +
                  " bytes, room for " + std::to_string(std::uint64_t{eraseEnd} - loadAddress + 1) +
                  ".";
        return false;
    }
    char text[96];
    std::snprintf(text, sizeof text, " holds data at %08llX, outside the range %08lX-%08lX",
                  static_cast<unsigned long long>(lowest < loadAddress ? lowest : highest),
                  static_cast<unsigned long>(loadAddress), static_cast<unsigned long>(eraseEnd));
    problem = fileName + text + " erased for it.";
    return false;
}

bool ImageReader::MeasureTail(std::uint64_t fileLength, std::size_t tailLength) {
    std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(fileLength, tailLength));
    std::vector<char> tail(length);
    if (std::fseek(file_, static_cast<long>(fileLength - length), SEEK_SET) != 0)
        return false;
    tail.resize(std::fread(tail.data(), 1, length, file_));
    std::string_view text(tail.data(), tail.size());

    std::uint32_t first = 0;
    std::uint32_t last = 0;
    bool found = false;
    for (std::size_t i = 0; i < text.size() && !found; ++i)
        found = S3LineAt(text, i, first);
    if (!found)
        return false;
    for (std::size_t i = text.size(); i-- > 0;) {
        if (S3LineAt(text, i, last))
            break;
    }
    size = first;
    endAddress = last;
    return true;
}

void ImageReader::Rewind() {
    if (file_ == nullptr)
        return;
    std::clearerr(file_);
    std::fseek(file_, textStart_, SEEK_SET);
    lines_.Attach(file_);
    needLine_ = true;
    lineTaken_ = 0;
}

bool ImageReader::ReachedEndOfFile() {
    if (std::ferror(file_))
        return false;
    long at = std::ftell(file_);
    return at >= 0 && static_cast<std::uint64_t>(at) == fileLength_;
}

void ImageReader::Close() {
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
    lines_.Attach(nullptr);
}

int ImageReader::ReadRecord(std::uint8_t* buffer, std::size_t capacity, std::uint32_t& address) {
    if (buffer == nullptr)
        return 0;
    return ReadRecord(std::span<std::uint8_t>(buffer, capacity), capacity, address);
}

int ImageReader::ReadRecord(std::span<std::uint8_t> buffer, std::size_t capacity,
                            std::uint32_t& address) {
    // A reader that did not open as a valid image has nothing to give, and that is no
    // end of an image either.
    readFailed_ = valid == 0;
    if (file_ == nullptr || valid == 0 || capacity == 0 || buffer.empty())
        return 0;
    // The count is answered as an int.
    if (buffer.size() > INT_MAX)
        buffer = buffer.first(INT_MAX);
    if (isSRecord)
        return ReadSRecord(buffer, capacity, address);
    return ReadBinary(buffer, capacity, address);
}

int ImageReader::ReadBinary(std::span<std::uint8_t> buffer, std::size_t capacity,
                            std::uint32_t address) {
    if (address >= fileLength_)
        return 0;
    // Up to the end the file had at open: anything less is a failed read.
    std::size_t wanted = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::min(capacity, buffer.size()), fileLength_ - address));
    std::size_t got = 0;
    if (std::fseek(file_, static_cast<long>(address), SEEK_SET) == 0)
        got = std::fread(buffer.data(), 1, wanted, file_);
    readFailed_ = got < wanted;
    return static_cast<int>(got);
}

// The engine pads an odd record with one 0x00 byte, which the receiver programs at the
// address after the record. When the image goes on at that address the pad would be
// programmed first and the real byte over it, and flash only clears bits: the byte
// would be lost. A record that the image continues without a gap is therefore made
// even, by taking one more byte of the current line or by leaving its last byte to
// start the next record.
void ImageReader::EvenOutContinuedRecord(std::span<std::uint8_t> buffer, std::size_t room,
                                         std::size_t& length) {
    if (length % 2 == 0)
        return;
    if (!needLine_ && length < room) {
        buffer[length++] = line_.data[lineTaken_++];
        needLine_ = lineTaken_ == line_.length;
    } else if (lineTaken_ > 0 && length > 1) {
        --length;
        --lineTaken_;
        needLine_ = false;
    }
}

int ImageReader::ReadSRecord(std::span<std::uint8_t> buffer, std::size_t capacity,
                             std::uint32_t& address) {
    const std::size_t room = buffer.size();
    for (;;) {
        std::size_t length = 0;
        unsigned lineCount = 0;
        std::uint32_t recordAddress = 0;
        bool atEnd = false;
        for (;;) {
            if (needLine_) {
                if (!lines_.Next()) {
                    atEnd = true;
                    break;
                }
                if (!line_.Parse(lines_.Line()))
                    continue;
                needLine_ = false;
                lineTaken_ = 0;
            }
            const std::uint8_t* data = line_.data.data() + lineTaken_;
            std::size_t left = line_.length - lineTaken_;
            std::uint32_t lineAddress = line_.address + static_cast<std::uint32_t>(lineTaken_);

            if (line_.type != 3) {
                // An S1 or S2 line is a record of its own, after the S3 record in progress.
                if (lineCount > 0)
                    break;
                std::size_t take = std::min(left, room);
                std::memcpy(buffer.data(), data, take);
                lineTaken_ += take;
                needLine_ = lineTaken_ == line_.length;
                address = lineAddress;
                length = take;
                break;
            }

            if (lineCount == 0) {
                recordAddress = lineAddress;
            } else if (recordAddress + static_cast<std::uint32_t>(length) != lineAddress) {
                break;  // a gap: this line starts the next record
            }
            std::size_t take = left;
            bool split = false;
            if (take > room - length) {
                if (length > 0) {
                    // Would not fit: this line starts the next record, after lending the
                    // record one byte if that makes it even.
                    if (length % 2 != 0 && length < room) {
                        buffer[length++] = data[0];
                        ++lineTaken_;
                    }
                    break;
                }
                take = room;
                split = true;
            }
            std::memcpy(buffer.data() + length, data, take);
            length += take;
            lineTaken_ += take;
            needLine_ = lineTaken_ == line_.length;
            ++lineCount;
            if (lineCount >= kMaxLinesPerRecord || length >= capacity || split) {
                EvenOutContinuedRecord(buffer, room, length);
                break;
            }
        }
        if (lineCount > 0)
            address = recordAddress;
        if (atEnd && length == 0)
            readFailed_ = !ReachedEndOfFile();
        // Lines without data make empty records; they must not end the image early.
        if (length > 0 || atEnd)
            return static_cast<int>(length);
    }
}
