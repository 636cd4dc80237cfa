#include "loader/FlashLoader.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <span>

#include "COMLINK/CommLink.h"
#include "COMLINK/CommResult.h"
#include "image/ImageReader.h"
#include "loader/LoaderProtocol.h"
#include "loader/LoaderStatusText.h"
#include "platform/Clock.h"

namespace {

using namespace loader_protocol;

// Trace values: "%04x" shows a negative link code as its 32-bit pattern, "%ld" and
// "%lx" take the unsigned 32-bit addresses as they are.
unsigned Hex(int value) {
    return static_cast<unsigned>(value);
}
unsigned long Address(std::uint32_t value) {
    return value;
}
long Decimal(std::uint32_t value) {
    return static_cast<long>(value);
}

}  // namespace

void FlashLoader::Create(ImageReader* reader, CommLink* link, std::uint8_t recordNumbered,
                         std::uint32_t loadAddress, std::uint32_t eraseEndAddress,
                         std::uint8_t addressCheck) {
    cursor_.Reset(loadAddress);
    noConnectCount_ = 0;
    wordOrder_ = WordOrder::Undecided;
    // The rest as a new engine has them, so that an engine can be created again.
    timeStamp_ = Now();
    debugWord_ = 0;
    reportedValue_ = 0;
    debugWordCount_ = 0;
    sectorsErased_ = 0;
    endChecksum = 0;
    receivedSize = 0;
    stopReason_.clear();

    reader_ = reader;
    loadAddress_ = loadAddress;
    if (reader == nullptr) {
        endAddress_ = loadAddress;
    } else if (target_.bootReloadPass) {
        endAddress_ = reader->endAddress;
    } else {
        endAddress_ = loadAddress + reader->endAddress + 0x10000;
    }

    link_ = link;
    unsigned short lineSummary = 0;
    if (link == nullptr || reader == nullptr || link->LineErrors(lineSummary) != 0) {
        state = LoaderState::NoPort;
    } else {
        state = LoaderState::Reset;
    }

    recordNumbered_ = recordNumbered;
    addressCheck_ = addressCheck;

    eraseStart_ = loadAddress;
    eraseEnd_ = eraseEndAddress != 0 ? eraseEndAddress : endAddress_;
    eraseCommand_ = LoaderFrame::EraseCommand(eraseStart_, eraseEnd_);

    firstImage_ = Image{reader, loadAddress, endAddress_, false};
    secondImage_ = Image{};
    onSecondImage_ = false;
    secondImageDue_ = false;
    eraseRefusals_ = 0;
    recordRefusals_ = 0;

    trace_.Open();
}

bool FlashLoader::Step() {
    if (PortGone())
        return false;
    switch (state) {
        case LoaderState::NoPort:
        case LoaderState::InvalidFlash:
        case LoaderState::SystemFailure:
            return false;
        case LoaderState::FileDone:
            trace_.Line("FILE DONE\n");
            return false;
        case LoaderState::Reset:
            trace_.Line("RESET\n");
            // A full restart erases again, and the erase covers a second image too:
            // both are sent again, the first one first.
            if (onSecondImage_) {
                onSecondImage_ = false;
                secondImageDue_ = true;
                StartImage(firstImage_);
            }
            if (!RewindImage())
                return false;
            cursor_.number = 0;
            state = LoaderState::NoConnect;
            return true;
        case LoaderState::NoConnect:
            return StepNoConnect();
        case LoaderState::Hand:
            return StepHand();
        case LoaderState::EraseCmd:
            return StepEraseCmd();
        case LoaderState::EraseAdr:
            return StepEraseAdr();
        case LoaderState::Erasing:
            return StepErasing();
        case LoaderState::SendCold:
            trace_.Line("SEND COLD\n");
            link_->SendByte(kEraseDone);
            state = LoaderState::WaitCold;
            return true;
        case LoaderState::WaitCold:
            return StepWaitCold();
        case LoaderState::SendRec:
            return StepSendRec();
        case LoaderState::WaitRec:
            return StepWaitRec();
        case LoaderState::Prog:
            return StepProg();
        case LoaderState::WriteFail:
            state = LoaderState::Reset;
            return Waiting();
        case LoaderState::SendEnd:
            return StepSendEnd();
        case LoaderState::EndChecksum:
            return StepEndChecksum();
        case LoaderState::EndSize:
            return StepEndSize();
        case LoaderState::AllDone:
            trace_.Line("ALL DONE\n");
            state = LoaderState::Reset;
            return Waiting();
        case LoaderState::Debug1:
        case LoaderState::Debug2:
            return StepDebug(link_->ReadByteTimed(0));
        case LoaderState::RecNum1:
        case LoaderState::RecNum2:
        case LoaderState::RecNum3:
        case LoaderState::RecNum4:
            return StepRecNum(link_->ReadByteTimed(0));
    }
    return false;
}

bool FlashLoader::StepNoConnect() {
    const int value = link_->ReadByteTimed(0);
    if (value == kHello) {
        trace_.Line("NO CONNECT - hello\n");
        link_->DiscardInput(0);
        link_->SendByte(kAnswerHello);
        state = LoaderState::Hand;
        return true;
    }
    if (value == kRecWait) {
        trace_.Line("NO CONNECT - rec_wait\n");
        state = LoaderState::SendRec;
        return true;
    }
    trace_.Line("NO CONNECT - other\n");
    // Whatever piles up while nobody answers is dropped now and then, so that a hello
    // behind it is seen soon.
    if (++noConnectCount_ >= kNoConnectDiscardSteps) {
        noConnectCount_ = 0;
        link_->DiscardInput(0);
    }
    return AfterRead(value);
}

bool FlashLoader::StepHand() {
    const int value = link_->ReadByteTimed(0);
    switch (value) {
        case kOk:
            trace_.Line("HAND - OK\n");
            link_->DiscardInput(0);
            link_->SendByte(kHandshakeDone);
            timeStamp_ = Now();
            sectorsErased_ = 0;
            state = recordNumbered_ ? LoaderState::SendRec : LoaderState::EraseCmd;
            return true;
        case kHello:
            trace_.Line("HAND - hello\n");
            link_->SendByte(kAnswerHello);
            break;
        case kBadType:
            trace_.Line("HAND - Bad type\n");
            state = LoaderState::InvalidFlash;
            break;
        case CL_ERR_TIMEOUT:
            break;
        default:
            trace_.Line("HAND - error %04x\n", Hex(value));
            break;
    }
    return AfterRead(value);
}

bool FlashLoader::StepEraseCmd() {
    const int value = link_->ReadByteTimed(0);
    switch (value) {
        case kOk:
            trace_.Line("ERASE CMD - Erasing %08ld:%08ld\n", Decimal(eraseStart_),
                        Decimal(eraseEnd_));
            SendEraseCommand();
            trace_.Line("ERASE CMD - Erasing %08lx:%08lx\n", Address(eraseStart_),
                        Address(eraseEnd_));
            state = LoaderState::EraseAdr;
            return true;
        case kHello:
            trace_.Line("ERASE CMD - hello\n");
            link_->SendByte(kAnswerHello);
            state = LoaderState::Hand;
            return true;
        case kBadCmd:
            trace_.Line("ERASE CMD - bad cmd\n");
            state = LoaderState::NoConnect;
            return AfterRead(value);
        default:
            break;
    }
    if (TimedOut(kEraseCmdTimeoutSeconds)) {
        link_->DiscardInput(0);
        link_->SendByte(kHandshakeDone);
        timeStamp_ = Now();
        trace_.Line("ERASE CMD - timeout\n");
        return true;
    }
    return AfterRead(value);
}

bool FlashLoader::StepEraseAdr() {
    const int value = link_->ReadByteTimed(0);
    if (IsResendCode(value)) {
        trace_.Line("SENDING ERASE - Erasing %08lx:%08lx\n", Address(eraseStart_),
                    Address(eraseEnd_));
        SendEraseCommand();
        return true;
    }
    switch (value) {
        case kOk:
            trace_.Line("ERASE ADR - OK\n");
            state = LoaderState::Erasing;
            return true;
        case kBadCmd:
            trace_.Line("ERASE ADR - bad\n");
            EraseRefused(LoaderState::NoConnect);
            break;
        case kFail:
            trace_.Line("ERASE ADR - fail\n");
            EraseRefused(LoaderState::WriteFail);
            break;
        case CL_ERR_TIMEOUT:
            if (TimedOut(kEraseAdrTimeoutSeconds)) {
                SendEraseCommand();
                trace_.Line("ERASE ADR - timeout\n");
                return true;
            }
            break;
        default:
            trace_.Line("ERASE ADR - error %04x\n", Hex(value));
            break;
    }
    return AfterRead(value);
}

bool FlashLoader::StepErasing() {
    const int value = link_->ReadByteTimed(0);
    switch (value) {
        case kOk:
        case kRecWait:
            trace_.Line(value == kOk ? "ERASING - OK\n" : "ERASING - rec wait\n");
            cursor_.bytesSent = 0;
            state = LoaderState::SendCold;
            return true;
        case kSectorErased:
            trace_.Line("ERASING - sector erased\n");
            ++sectorsErased_;
            break;
        case kFail:
            // The erase failed: programming on would write over what was not erased.
            trace_.Line("ERASING - fail\n");
            EraseRefused(LoaderState::WriteFail);
            break;
        case CL_ERR_TIMEOUT:
            break;
        default:
            trace_.Line("ERASING - error %04x\n", Hex(value));
            break;
    }
    return AfterRead(value);
}

bool FlashLoader::StepWaitCold() {
    const int value = link_->ReadByteTimed(0);
    if (value == kOk || value == kRecWait) {
        trace_.Line(value == kOk ? "WAIT COLD - OK\n" : "WAIT COLD - rec wait\n");
        state = LoaderState::SendRec;
        return true;
    }
    if (value == kFail) {
        trace_.Line("WAIT COLD - fail\n");
        EraseRefused(LoaderState::WriteFail);
    } else if (value != CL_ERR_TIMEOUT)
        trace_.Line("WAIT COLD - error %04x\n", Hex(value));
    return AfterRead(value);
}

bool FlashLoader::StepSendRec() {
    // After a step back: the record that was stepped over comes again as it was.
    cursor_.LoadReplay();
    if (!cursor_.resendLoaded) {
        int count = 0;
        bool readFailed = false;
        if (cursor_.position > endAddress_) {
            trace_.Line("SEND REC - Address %08lx past end %08lx\n", Address(cursor_.position),
                        Address(endAddress_));
        } else {
            count = ReadNextRecord();
            readFailed = reader_->ReadFailed();
        }
        if (readFailed) {
            // The file went short or unreadable before the end it had when it was
            // opened: ending the image now would close one the receiver holds in part.
            trace_.Line("SEND REC - read failed\n");
            Stop("Reading " + reader_->fileName +
                 " failed before its end; the upload was stopped.");
            return false;
        }
        if (count <= 0) {
            if (!ImageUnchangedAtEnd())
                return false;
            if (secondImageDue_) {
                // A restart of a two-image session: the second image follows the
                // first without a new handshake, as it did the first time.
                secondImageDue_ = false;
                onSecondImage_ = true;
                StartImage(secondImage_);
                if (!RewindImage())
                    return false;
                trace_.Line("SECOND FILE - %08lx to %08lx\n", Address(loadAddress_),
                            Address(endAddress_));
                return true;
            }
            timeStamp_ = Now();
            state = LoaderState::FileDone;
            trace_.Line("SEND REC - 0 len\n");
            return true;
        }
        cursor_.Complete(count, recordNumbered_ != 0);
    }
    cursor_.resendLoaded = false;
    SendFrame(Frame(), FrameLength());
    state = LoaderState::WaitRec;
    trace_.Line("SEND REC - %d bytes:", static_cast<int>(FrameLength()));
    trace_.Frame(Frame(), FrameLength());
    return Waiting();
}

int FlashLoader::ReadNextRecord() {
    // The boot block pass sends part of a whole image: the image's own offsets are the
    // receiver addresses.
    if (cursor_.position == loadAddress_ && target_.bootReloadPass)
        loadAddress_ = 0;
    std::uint32_t offset = cursor_.position - loadAddress_;
    CurrentImage().used = true;
    // The reader never writes past the span; an odd count is below its end, so the pad
    // byte fits too.
    const std::span<std::uint8_t> data(cursor_.Data(), kMaxRecordData);
    const int count = reader_->ReadRecord(data, kRecordCapacity, offset);
    cursor_.position = reader_->isSRecord ? offset : loadAddress_ + offset;
    trace_.Line("Read %d bytes for address %08lx\n", count, Address(cursor_.position));
    return std::min(count, static_cast<int>(kMaxRecordData));
}

bool FlashLoader::StepWaitRec() {
    const int value = link_->ReadByteTimed(0);
    if (IsResendCode(value)) {
        ResendRecord(value);
        return AfterRead(value);
    }
    switch (value) {
        case kOk:
            trace_.Line("WAIT REC - OK\n");
            debugWord_ = 0;
            reportedValue_ = 0;
            debugWordCount_ = 0;
            // Programming is waited for from the moment the record arrived.
            timeStamp_ = Now();
            state = LoaderState::Prog;
            return true;
        case kFail:
            trace_.Line("WAIT REC - fail\n");
            RecordRefused();
            break;
        case kDebug:
            trace_.Line("WAIT REC - debug\n");
            savedState_ = LoaderState::WaitRec;
            state = LoaderState::Debug1;
            break;
        case kReset:
            // The image again from its start, after the next acknowledge; the erase
            // stands. A record number says where the receiver stores the record, so in
            // that mode the numbers start again with the image.
            trace_.Line("WAIT REC - reset\n");
            if (!RewindImage())
                return false;
            if (recordNumbered_)
                cursor_.number = 0;
            state = LoaderState::WaitCold;
            return true;
        case CL_ERR_TIMEOUT:
            if (TimedOut(kWaitRecTimeoutSeconds))
                ResendRecord(std::nullopt);
            break;
        default:
            trace_.Line("WAIT REC - error %04x\n", Hex(value));
            break;
    }
    return AfterRead(value);
}

bool FlashLoader::StepProg() {
    const int value = link_->ReadByteTimed(0);
    if (IsResendCode(value)) {
        ResendRecord(value);
        state = LoaderState::WaitRec;
        return AfterRead(value);
    }
    switch (value) {
        case kOk:
        case kRecWait:
            AcceptRecord(value == kRecWait);
            return true;
        case kFail:
            trace_.Line("PROG - fail\n");
            RecordRefused();
            break;
        case kRecNumber:
            trace_.Line("PROG - rec number\n");
            state = LoaderState::RecNum1;
            break;
        case kDebug:
            trace_.Line("PROG - debug\n");
            savedState_ = LoaderState::Prog;
            state = LoaderState::Debug1;
            break;
        case CL_ERR_TIMEOUT:
            if (TimedOut(kProgTimeoutSeconds))
                return ProgTimedOut();
            break;
        default:
            trace_.Line("PROG - error %04x\n", Hex(value));
            break;
    }
    return AfterRead(value);
}

bool FlashLoader::ProgTimedOut() {
    if (recordNumbered_) {
        // The receiver stores a numbered record at its next number: the same record
        // again could land in the place of the one after it.
        trace_.Line("PROG - timeout\n");
        Stop("The receiver did not confirm that record " + std::to_string(cursor_.number) +
             " was programmed; the upload was stopped.");
        return false;
    }
    // An addressed record carries its place: sent again it can only put the same bytes
    // at the same addresses.
    trace_.Line("PROG - timeout resend %d bytes:", static_cast<int>(FrameLength()));
    trace_.Frame(Frame(), FrameLength());
    SendRecordAgain();
    state = LoaderState::WaitRec;
    return false;
}

bool FlashLoader::PortGone() {
    const bool running = state != LoaderState::NoPort && state != LoaderState::InvalidFlash &&
                         state != LoaderState::SystemFailure && state != LoaderState::FileDone;
    // A device that has gone (a pulled cable, an unplugged adapter) answers nothing for
    // ever: resending into it would keep the upload running without an end.
    if (!running || link_->Port().Idle() != CL_ERR_DEVICE)
        return false;
    trace_.Line("PORT GONE\n");
    Stop(
        "The connection to the receiver was lost (was the cable pulled?); the upload was "
        "stopped.");
    return true;
}

void FlashLoader::EraseRefused(LoaderState next) {
    if (++eraseRefusals_ < kRefusalsInARow) {
        state = next;
        return;
    }
    char text[128];
    std::snprintf(text, sizeof text,
                  "The receiver refused to erase %08lX to %08lX %d times in a row; the upload "
                  "was stopped.",
                  Address(eraseStart_), Address(eraseEnd_), kRefusalsInARow);
    trace_.Line("ERASE - refused %d times, stopped\n", kRefusalsInARow);
    Stop(text);
}

void FlashLoader::RecordRefused() {
    const bool again = recordRefusals_ > 0 && refusedPosition_ == cursor_.position &&
                       refusedOnSecondImage_ == onSecondImage_;
    recordRefusals_ = again ? recordRefusals_ + 1 : 1;
    refusedPosition_ = cursor_.position;
    refusedOnSecondImage_ = onSecondImage_;
    if (recordRefusals_ < kRefusalsInARow) {
        state = LoaderState::WriteFail;
        return;
    }
    char text[128];
    std::snprintf(text, sizeof text,
                  "The receiver refused the record for address %08lX %d times in a row; the "
                  "upload was stopped.",
                  Address(cursor_.position), kRefusalsInARow);
    trace_.Line("WRITE FAIL - refused %d times, stopped\n", kRefusalsInARow);
    Stop(text);
}

bool FlashLoader::ImageUnchangedAtEnd() {
    if (reader_ == nullptr || reader_->Unchanged())
        return true;
    trace_.Line("SEND REC - image changed\n");
    Stop(reader_->fileName + " was changed while it was being uploaded; the upload was stopped.");
    return false;
}

void FlashLoader::Stop(std::string reason) {
    stopReason_ = std::move(reason);
    state = LoaderState::SystemFailure;
}

void FlashLoader::AcceptRecord(bool recWait) {
    // The erase stands, and a record that was refused has been written after all.
    eraseRefusals_ = 0;
    if (refusedPosition_ == cursor_.position && refusedOnSecondImage_ == onSecondImage_)
        recordRefusals_ = 0;
    cursor_.KeepAccepted();

    if (debugWordCount_ == 2 && reportedValue_ != 0 && addressCheck_) {
        trace_.Line("Got %08lx back\n", Address(reportedValue_));
        // The receiver has less than was sent: go on from the record after the one it
        // reports. Only a binary image can be read again from an address, and a value
        // before the image's start is no position in it.
        if (!recordNumbered_ && reportedValue_ < cursor_.position &&
            reportedValue_ >= loadAddress_ && !reader_->isSRecord) {
            cursor_.RewindTo(reportedValue_);
            trace_.Line("Handshake error - resending\n");
        }
    }
    cursor_.Advance();
    state = LoaderState::SendRec;
    trace_.Line(recWait ? "PROG - rec wait\n" : "PROG - OK\n");
}

bool FlashLoader::StepSendEnd() {
    const int value = link_->ReadByteTimed(0);
    if (value == kOk) {
        trace_.Line("SEND END - OK\n");
        state = recordNumbered_ ? LoaderState::EndChecksum : LoaderState::AllDone;
        return true;
    }
    if (value == CL_ERR_TIMEOUT) {
        if (TimedOut(kSendEndTimeoutSeconds)) {
            SendFrame(LoaderFrame::kEndRecord.data(), LoaderFrame::kEndRecord.size());
            trace_.Line("SEND END - timeout, resend\n");
            return true;
        }
    } else {
        trace_.Line("SEND END - error %04x\n", Hex(value));
    }
    return AfterRead(value);
}

bool FlashLoader::StepEndChecksum() {
    const int value = link_->ReadByteTimed(0);
    if (value == kOk) {
        endChecksum = debugWord_;
        debugWordCount_ = 0;
        reportedValue_ = 0;
        state = LoaderState::EndSize;
    } else if (value == kDebug) {
        savedState_ = LoaderState::EndChecksum;
        state = LoaderState::Debug1;
    }
    return AfterRead(value);
}

bool FlashLoader::StepEndSize() {
    const int value = link_->ReadByteTimed(0);
    if (value == kOk) {
        receivedSize = reportedValue_;
        state = LoaderState::AllDone;
    } else if (value == kDebug) {
        savedState_ = LoaderState::EndSize;
        state = LoaderState::Debug1;
    }
    return AfterRead(value);
}

bool FlashLoader::StepDebug(int value) {
    if (value < 0)
        return AfterRead(value);
    const auto byte = static_cast<std::uint8_t>(value);
    if (state == LoaderState::Debug1) {
        trace_.Line("DEBUG 1 - %02x\n", static_cast<unsigned>(byte));
        debugWord_ = static_cast<std::uint16_t>(byte << 8);
        state = LoaderState::Debug2;
        return true;
    }
    trace_.Line("DEBUG 2 - %02x\n", static_cast<unsigned>(byte));
    AddDebugWord(byte);
    state = savedState_;
    return true;
}

void FlashLoader::AddDebugWord(std::uint8_t low) {
    debugWord_ = static_cast<std::uint16_t>(debugWord_ | low);
    ++debugWordCount_;
    if (debugWordCount_ == 1) {
        firstDebugWord_ = debugWord_;
        reportedValue_ = debugWord_;
    } else if (debugWordCount_ == 2) {
        if (wordOrder_ == WordOrder::Undecided) {
            wordOrder_ = DecideWordOrder(target_.uploadFamily, phase_, firstDebugWord_, debugWord_);
        }
        reportedValue_ = CombineWords(wordOrder_, firstDebugWord_, debugWord_);
    }
}

bool FlashLoader::StepRecNum(int value) {
    if (value < 0)
        return AfterRead(value);
    const unsigned byte = static_cast<unsigned>(value & 0xFF);
    switch (state) {
        case LoaderState::RecNum1:
            trace_.Line("REC NUM 1 - %02x\n", byte);
            state = LoaderState::RecNum2;
            return true;
        case LoaderState::RecNum2:
            trace_.Line("REC NUM 2 - %02x\n", byte);
            state = LoaderState::RecNum3;
            return true;
        case LoaderState::RecNum3:
            trace_.Line("REC NUM 3 - %02x\n", byte);
            state = LoaderState::RecNum4;
            return true;
        default:
            trace_.Line("REC NUM 4 - %02x\n", byte);
            cursor_.StepBack(reader_->isSRecord != 0);
            trace_.Line("Reset to record %ld address %ld\n", static_cast<long>(cursor_.number),
                        Decimal(cursor_.position));
            state = LoaderState::SendRec;
            return true;
    }
}

void FlashLoader::Finish() {
    if (link_ == nullptr)
        return;
    // Stale input goes before the frame, never after it: a receiver that answers as the
    // frame leaves would otherwise lose its answer to the purge.
    link_->DiscardOutput();
    link_->DiscardInput(0);
    link_->Write(LoaderFrame::kEndRecord.data(), static_cast<int>(LoaderFrame::kEndRecord.size()));
    // Only the end record is queued now; it leaves in milliseconds at any line speed.
    // A device that has gone away never drains, so the wait is bounded.
    platform::Clock& clock = platform::GetClock();
    const std::uint64_t start = clock.MonotonicMs();
    while (link_->TxCount() > 0 && clock.MonotonicMs() - start < kFinishDrainLimitMs) {
        clock.SleepMs(1);
    }
    // The run ends here without reading the answer; the next user of the line may change
    // its speed at once.
    if (!recordNumbered_ && link_->TxCount() == 0) {
        const std::uint64_t drained = clock.MonotonicMs();
        while (link_->RxCount() == 0 && clock.MonotonicMs() - drained < kEndRecordAnswerLimitMs) {
            clock.SleepMs(1);
        }
    }
    state = LoaderState::SendEnd;
}

void FlashLoader::SecondFile(ImageReader* reader, std::uint32_t loadAddress) {
    if (reader == nullptr)
        return;
    secondImage_ = Image{reader, loadAddress, loadAddress + reader->size, false};
    onSecondImage_ = true;
    secondImageDue_ = false;
    StartImage(secondImage_);
    state = LoaderState::SendRec;
    trace_.Line("SECOND FILE - %08lx to %08lx\n", Address(loadAddress_), Address(endAddress_));
}

void FlashLoader::StatusText(std::string& textField) const {
    if (auto text = LoaderStatusText(state, sectorsErased_))
        textField = *text;
}

void FlashLoader::StartImage(const Image& image) {
    reader_ = image.reader;
    loadAddress_ = image.loadAddress;
    endAddress_ = image.endAddress;
    cursor_.Start(image.loadAddress);
}

bool FlashLoader::RewindImage() {
    Image& image = CurrentImage();
    StartImage(image);
    // A binary image is read by offset; an S-record image reads on from where it
    // stopped and must be opened again to start over.
    if (!image.used || reader_ == nullptr || !reader_->isSRecord)
        return true;
    image.used = false;
    // Opening measures the image again but forgets what validation found.
    const std::string path = reader_->fileName;
    const std::uint64_t length = reader_->FileLength();
    const std::uint32_t major = reader_->versionMajor;
    const std::uint32_t minor = reader_->versionMinor;
    const bool found = reader_->versionFound;
    if (!reader_->Unchanged() || !reader_->Open(path) || reader_->FileLength() != length) {
        // Gone, damaged or changed since it was checked: nothing of it is sent.
        trace_.Line("RESET - image not readable\n");
        Stop(path + " could not be opened again as it was; the upload was stopped.");
        return false;
    }
    reader_->versionMajor = major;
    reader_->versionMinor = minor;
    reader_->versionFound = found;
    return true;
}

void FlashLoader::SendFrame(const std::uint8_t* frame, std::size_t length) {
    // Input is dropped before the frame goes out (see Finish).
    link_->DiscardOutput();
    link_->DiscardInput(0);
    link_->Write(frame, static_cast<int>(length));
    timeStamp_ = Now();
}

void FlashLoader::SendRecordAgain() {
    SendFrame(Frame(), FrameLength());
}

void FlashLoader::ResendRecord(std::optional<int> code) {
    const int length = static_cast<int>(FrameLength());
    if (code)
        trace_.Line("WAIT REC - %04x resend %d bytes:", Hex(*code), length);
    else
        trace_.Line("WAIT REC - timeout resend %d bytes:", length);
    trace_.Frame(Frame(), FrameLength());
    SendRecordAgain();
}

void FlashLoader::SendEraseCommand() {
    SendFrame(eraseCommand_.data(), eraseCommand_.size());
}

bool FlashLoader::TimedOut(double limitSeconds) const {
    return static_cast<double>(Now() - timeStamp_) > limitSeconds;
}

std::int64_t FlashLoader::Now() const {
    return platform::GetClock().MonotonicSeconds();
}

bool FlashLoader::Waiting() const {
    return link_->RxCount() > 0;
}

bool FlashLoader::AfterRead(int value) const {
    // A read that found nothing ends the burst even when the queue reports bytes: a
    // device whose reads fail would otherwise keep the caller stepping for ever.
    if (value < 0)
        return false;
    return Waiting();
}
