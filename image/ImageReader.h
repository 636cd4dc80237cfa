#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "image/LineReader.h"
#include "image/SRecordLine.h"
#include "platform/FileStatus.h"

struct ValidationContext;

// One image file (program code, map, POI or city database), handed out as blocks of
// bytes with the receiver address of their first byte.
//
// The encoding comes from the content: a file whose first line (after a UTF-8 byte
// order mark and blank lines) begins with "S" and a digit is a Motorola S-record text
// image, anything else a raw binary image whose file offset is the offset from the load
// address. An S-record image is checked line by line when it is opened (SRecordCheck):
// a damaged image is not valid, and problem names the file and the first bad line.
//
// Records of an S-record image: ReadRecord merges consecutive S3 lines (each line's
// address follows on from the bytes before it) into one record, and ends it
//   - at an address gap (the line that does not follow on starts the next record),
//   - at the end of the file,
//   - after 201 lines,
//   - with the line that brings the record to the capacity or beyond.
// A record can therefore run past the capacity by less than one line;
// MaxRecordLength(capacity) is the longest record a capacity can give. A caller whose
// buffer holds MaxRecordLength(capacity) bytes gets records broken exactly as above.
// Whatever the caller passes, nothing is written past the end of the buffer span: a
// line that would not fit ends the record before it and starts the next one, and a
// single line longer than the whole buffer is handed out in pieces. No byte is lost
// or moved either way. S1 and S2 lines are records of their own.
// A record that the image continues at the very next address has an even length, so
// that the pad byte the engine adds to an odd record never lands on image data.
//
// ReadRecord answers 0 at the end of the image, and when the file can no longer be read
// as it was at open (gone short, a read error); ReadFailed tells the two apart.
class ImageReader {
  public:
    // Lines merged into one record at most.
    static constexpr unsigned kMaxLinesPerRecord = 201;

    // The longest record ReadRecord can answer for a capacity (by less than one line longer).
    static constexpr std::size_t MaxRecordLength(std::size_t capacity) {
        return capacity == 0 ? 0 : capacity - 1 + SRecordLine::kMaxData;
    }

    ImageReader();
    ~ImageReader();
    ImageReader(const ImageReader&) = delete;
    ImageReader& operator=(const ImageReader&) = delete;

    // Opens and measures the file; answers valid != 0.
    //   binary: size = endAddress = the file length.
    //   S-record: size = address of the last data byte of the first S3 line near the
    //   file's end, endAddress = that of the last S3 line, each cut to 24 bits. Without
    //   an S3 line there the image is not valid.
    bool Open(const std::string& path);

    // Places the next record in buffer; answers its length, 0 when there is no more.
    //   binary: reads up to capacity bytes at file offset address (address unchanged).
    //   S-record: reads on from the last record; address := address of its first byte.
    int ReadRecord(std::span<std::uint8_t> buffer, std::size_t capacity, std::uint32_t& address);
    // The same for a caller whose buffer holds exactly capacity bytes.
    int ReadRecord(std::uint8_t* buffer, std::size_t capacity, std::uint32_t& address);

    void Close();

    // The last ReadRecord answered 0 because the file could not be read to the end it
    // had when it was opened, not because the image is over.
    bool ReadFailed() const { return readFailed_; }
    // The file's length in bytes when it was opened.
    std::uint64_t FileLength() const { return fileLength_; }
    // The file still is what was opened: the same size and time of the last write. An
    // image rewritten while it is sent would leave a mix of old and new bytes in flash.
    bool Unchanged() const { return platform::StatusOf(fileName) == status_; }

    // Before anything is sent: the image holds data, and every byte of it lands in the
    // range from loadAddress to eraseEnd (the range erased for it) when loaded at
    // loadAddress; an S-record image carries its own addresses. Otherwise problem says
    // why and the answer is false. A receiver asked to program outside the erased range
    // refuses the record, and a load restarted over it would never end.
    bool Fits(std::uint32_t loadAddress, std::uint32_t eraseEnd);

    // Checks that the image fits what is about to be loaded onto the receiver of context;
    // answers 1 to go on, 0 to stop.
    //   kind 0: family-2 program code (binary, "024" at offset 1024)
    //   kind 1: POI or city database (binary, 7-bit text at offsets 220 to 347)
    //   kind 2: program code in S-record form; reads the version line at 2D004E00
    //   kind 3: map image (binary)
    // A failed check shows the "WARNING - FIRMWARE PROBLEM" dialog; quiet suppresses
    // it (no check can fail then) but kind 2 still reads the version.
    int Validate(int kind, bool quiet, const ValidationContext& context);

    std::uint8_t isSRecord = 0;
    int valid = 0;
    std::uint32_t size = 0;
    std::uint32_t endAddress = 0;
    std::string fileName;
    // Filled by Validate kind 2 from the version line; 0.0 without one.
    std::uint32_t versionMajor = 0;
    std::uint32_t versionMinor = 0;
    // Set when Validate kind 2 found the version line.
    bool versionFound = false;
    // Why Open refused an S-record image, naming the file and the first bad line, or why
    // Fits refused the image; empty when it opened, and for a file that is missing (the
    // drivers have their own text).
    std::string problem;

  private:
    // True when the first line (after a byte order mark and blank lines) begins with
    // "S" and a digit; textStart_ is then past the mark.
    bool LooksLikeSRecords();
    // Checks every line; false with problem set at the first bad one.
    bool CheckLines();
    bool MeasureTail(std::uint64_t fileLength, std::size_t tailLength);
    // The line reader stopped at the end the file had at open, without a read error.
    bool ReachedEndOfFile();
    // Back to the first record: the start of the text.
    void Rewind();
    int ReadBinary(std::span<std::uint8_t> buffer, std::size_t capacity, std::uint32_t address);
    int ReadSRecord(std::span<std::uint8_t> buffer, std::size_t capacity, std::uint32_t& address);
    void EvenOutContinuedRecord(std::span<std::uint8_t> buffer, std::size_t room,
                                std::size_t& length);
    int ValidateCodeSRecord(bool quiet, const ValidationContext& context);
    int Warn(int kind, const ValidationContext& context);

    std::FILE* file_ = nullptr;
    platform::FileStatus status_;
    std::uint64_t fileLength_ = 0;
    // The data bytes, and of an S-record image the addresses of the lowest and the
    // highest of them.
    std::uint64_t dataBytes_ = 0;
    std::uint64_t lowestAddress_ = 0;
    std::uint64_t highestAddress_ = 0;
    long textStart_ = 0;  // past a byte order mark
    bool readFailed_ = false;
    LineReader lines_;
    // The current data line; it stays here when it does not belong to the record just
    // ended, and the next record begins with it.
    bool needLine_ = true;
    SRecordLine line_;
    std::size_t lineTaken_ = 0;  // bytes of line_ already handed out
};
