#include "loader/RecordCursor.h"

#include <algorithm>

void RecordCursor::Reset(std::uint32_t loadAddress) {
    length = 0;
    number = 0;
    Start(loadAddress);
}

void RecordCursor::Start(std::uint32_t loadAddress) {
    position = loadAddress;
    bytesSent = 0;
    previous_.length = -1;
    replay_.length = -1;
    resendLoaded = false;
    recordsInImage = 0;
}

void RecordCursor::Complete(int count, bool numbered) {
    if (count % 2 != 0) {
        frame[LoaderFrame::kDataOffset + static_cast<std::size_t>(count)] = 0x00;
        ++count;
    }
    length = count;
    LoaderFrame::CompleteDataRecord(frame.data(), static_cast<std::size_t>(count),
                                    numbered ? number : position);
}

void RecordCursor::LoadReplay() {
    if (resendLoaded || replay_.length < 0)
        return;
    std::copy_n(replay_.frame.begin(), replay_.length + LoaderFrame::kRecordOverhead,
                frame.begin());
    length = replay_.length;
    position = replay_.position;
    replay_.length = -1;
    resendLoaded = true;
}

void RecordCursor::KeepAccepted() {
    previous_.length = length;
    previous_.position = position;
    std::copy_n(frame.begin(), FrameLength(), previous_.frame.begin());
}

void RecordCursor::RewindTo(std::uint32_t address) {
    position = address;
    length = static_cast<int>(kStepBack);
    bytesSent -= kStepBack;
}

void RecordCursor::Advance() {
    position += static_cast<std::uint32_t>(length);
    bytesSent += static_cast<std::uint32_t>(length);
    ++number;
    ++recordsInImage;
}

void RecordCursor::StepBack(bool sRecord) {
    if (recordsInImage == 0) {
        // Nothing of this image came before: the record itself again.
        resendLoaded = true;
        return;
    }
    if (!sRecord) {
        // A binary image is read again from the address one record back.
        bytesSent -= kStepBack;
        --number;
        position -= kStepBack;
        --recordsInImage;
        return;
    }
    if (previous_.length < 0) {
        resendLoaded = true;
        return;
    }
    // The previous record goes out as it was sent, then the one it stepped over.
    replay_.length = length;
    replay_.position = position;
    std::copy_n(frame.begin(), FrameLength(), replay_.frame.begin());
    length = previous_.length;
    position = previous_.position;
    std::copy_n(previous_.frame.begin(), FrameLength(), frame.begin());
    previous_.length = -1;
    bytesSent -= static_cast<std::uint32_t>(length);
    --number;
    --recordsInImage;
    resendLoaded = true;
}
