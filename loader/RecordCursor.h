#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "loader/LoaderFrame.h"

// Where an upload stands in the image it sends: the data record on the wire (its frame,
// data length and address), the record number it carries, the records of the image the
// receiver has accepted, and the bytes counted as sent. It also keeps what a step back
// needs: a binary image is read again from an address, but an S-record image cannot be
// read back, so the record accepted last is kept to go out again, followed by the record
// it stepped over.
class RecordCursor {
  public:
    // Data bytes a frame carries at most, what receivers take.
    static constexpr std::size_t kMaxRecordData = 2046;
    static constexpr std::size_t kFrameBufferSize = kMaxRecordData + LoaderFrame::kRecordOverhead;
    // The step back on a rec number and the rewind on a reported address go by this size.
    static constexpr std::uint32_t kStepBack = 1980;

    // Everything back to nothing sent, the record numbers from 0, at loadAddress.
    void Reset(std::uint32_t loadAddress);
    // An image starts at loadAddress: nothing counted, nothing kept; the numbers go on.
    void Start(std::uint32_t loadAddress);
    // Where the next record is read into.
    std::uint8_t* Data() { return frame.data() + LoaderFrame::kDataOffset; }
    // Completes the record of count bytes read into Data() (an odd count gets a pad byte)
    // as a frame whose field is the record number or, by address, the position.
    void Complete(int count, bool numbered);
    // After a step back over an S-record: the record stepped over goes on the wire next,
    // as it was sent.
    void LoadReplay();
    // The receiver accepted the record on the wire: it is kept for a step back.
    void KeepAccepted();
    // The receiver reported having less: the next record is read again from position.
    void RewindTo(std::uint32_t address);
    // On past the accepted record.
    void Advance();
    // The receiver asks for the record before the one on the wire.
    void StepBack(bool sRecord);

    std::size_t FrameLength() const {
        return static_cast<std::size_t>(length) + LoaderFrame::kRecordOverhead;
    }

    std::array<std::uint8_t, kFrameBufferSize> frame{};
    int length = 0;               // data bytes of the record on the wire
    std::uint32_t position = 0;   // its address
    std::uint16_t number = 0;     // its record number
    std::uint32_t bytesSent = 0;  // of the current image, accepted by the receiver
    std::uint32_t recordsInImage = 0;
    // The frame holds a record to send as it is (a step back).
    bool resendLoaded = false;

  private:
    // A frame as it was last sent.
    struct SentRecord {
        std::array<std::uint8_t, kFrameBufferSize> frame{};
        int length = -1;  // data bytes; -1: none kept
        std::uint32_t position = 0;
    };

    SentRecord previous_;
    SentRecord replay_;
};
