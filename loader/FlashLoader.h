#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "loader/LoaderFrame.h"
#include "loader/LoaderState.h"
#include "loader/LoaderTarget.h"
#include "loader/LoaderTrace.h"
#include "loader/RecordCursor.h"
#include "loader/WordOrder.h"

class CommLink;
class ImageReader;

// Writes one image into the flash of a receiver that waits in its software-load mode,
// over the binary flash loader protocol: hello and handshake, erase of the image's
// address range, numbered or addressed data records with resends, end record.
//
// The upload run that owns the engine calls Step from its ticks for as long as Step
// answers true. Step never waits: every read is a single attempt, and every wait is a
// state that is looked at again on the next call. Timeouts are counted in whole
// seconds of the monotonic clock, so setting the wall clock cannot cut or stretch them.
//
// A run never ends as complete when it is not: a fail during the erase restarts it, and
// an image that can no longer be read to the end it had at open, an image that changed
// while it was sent, a restart that cannot open it again, a numbered record whose
// programming is never confirmed, or an erase or a record the receiver keeps refusing
// stop it in SYSTEM FAILURE without the end record (StopReason says why).
class FlashLoader {
  public:
    // The reader is asked for records of this many bytes.
    static constexpr std::size_t kRecordCapacity = 1980;
    // The step back on a rec number and the rewind on a reported address go by this size.
    static constexpr std::uint32_t kStepBack = RecordCursor::kStepBack;
    // Data bytes a frame carries at most, what receivers take. The reader is given room
    // for exactly this many: an S-record line that would run past it starts the next
    // record instead, so nothing is lost or moved.
    static constexpr std::size_t kMaxRecordData = RecordCursor::kMaxRecordData;
    static constexpr std::size_t kFrameBufferSize = RecordCursor::kFrameBufferSize;
    // Finish waits at most this long for the end record to leave.
    static constexpr std::uint64_t kFinishDrainLimitMs = 2000;
    // After an addressed load, Finish waits at most this long for the receiver to answer
    // the end record: bytes that have left the queue may still be in the port's hardware,
    // and a line speed changed under them would garble the end of the load.
    static constexpr std::uint64_t kEndRecordAnswerLimitMs = 500;

    // target: what the driver knows of the receiver (upload family, boot block pass).
    explicit FlashLoader(const LoaderTarget& target) : target_(target) {}
    ~FlashLoader() = default;
    FlashLoader(const FlashLoader&) = delete;
    FlashLoader& operator=(const FlashLoader&) = delete;

    // reader and link are borrowed and must outlive the engine's use of them. With
    // eraseEndAddress 0 the erase runs to the engine's end address. Empties "DEBUG.OUT".
    void Create(ImageReader* reader, CommLink* link, std::uint8_t recordNumbered,
                std::uint32_t loadAddress, std::uint32_t eraseEndAddress,
                std::uint8_t addressCheck);

    // One step of the protocol; true when the caller should step again at once.
    bool Step();
    // Sends the end record once the image is sent (state FILE DONE). Waits for it to
    // leave, but never longer than kFinishDrainLimitMs, so a receiver unplugged at the
    // end cannot hang the program; after an addressed load also for the receiver's answer
    // (left unread), never longer than kEndRecordAnswerLimitMs.
    void Finish();
    // Goes on with a second image in the same session: no handshake, no erase.
    void SecondFile(ImageReader* reader, std::uint32_t loadAddress);

    // Why the run stopped in SYSTEM FAILURE (the image could not be read to its end or
    // opened again, or a numbered record was never confirmed); empty otherwise. For the
    // driver's message: the run is not complete and no end record was sent.
    const std::string& StopReason() const { return stopReason_; }

    // The status text of the current state; the rec number states leave it as it was.
    void StatusText(std::string& textField) const;
    // The run's trace, for the lines its owner adds; closing it ends the trace.
    LoaderTrace& Trace() { return trace_; }
    void CloseTrace() { trace_.Close(); }

    // Which file of a family-2 run is being sent, so that the receiver's two-word reports
    // are read in the right order: 0 the code file (a database may follow), 1 the last
    // file, 2 the boot block, 3 finished; nothing: no phase known.
    void SetPhase(std::optional<int> phase) { phase_ = phase; }

    // Read by the drivers.
    LoaderState state = LoaderState::NoPort;
    // Bytes of the current image the receiver has taken.
    const std::uint32_t& bytesSent = cursor_.bytesSent;
    std::uint16_t endChecksum = 0;
    std::uint32_t receivedSize = 0;

    // For the dialogs and the tests.
    std::uint32_t SendPosition() const { return cursor_.position; }
    std::uint32_t LoadAddress() const { return loadAddress_; }
    std::uint32_t EndAddress() const { return endAddress_; }
    std::uint16_t RecordNumber() const { return cursor_.number; }
    std::uint32_t ReportedValue() const { return reportedValue_; }
    int DebugWordCount() const { return debugWordCount_; }
    int SectorsErased() const { return sectorsErased_; }
    WordOrder Order() const { return wordOrder_; }
    const std::array<std::uint8_t, LoaderFrame::kEraseCommandSize>& EraseCommand() const {
        return eraseCommand_;
    }
    // The data record now in the frame buffer.
    const std::uint8_t* Frame() const { return cursor_.frame.data(); }
    std::size_t FrameLength() const { return cursor_.FrameLength(); }

  private:
    // One image of the session, as the engine needs to start it again.
    struct Image {
        ImageReader* reader = nullptr;
        std::uint32_t loadAddress = 0;
        std::uint32_t endAddress = 0;
        bool used = false;  // records were read since it was opened
    };

    bool StepNoConnect();
    bool StepHand();
    bool StepEraseCmd();
    bool StepEraseAdr();
    bool StepErasing();
    bool StepWaitCold();
    bool StepSendRec();
    bool StepWaitRec();
    bool StepProg();
    bool StepSendEnd();
    bool StepEndChecksum();
    bool StepEndSize();
    bool StepDebug(int value);
    bool StepRecNum(int value);

    // Reads the next record into the frame buffer; answers the count (0 or less: none).
    int ReadNextRecord();
    void SendFrame(const std::uint8_t* frame, std::size_t length);
    void SendRecordAgain();
    // Sends the data record again after a resend code, or after the wait for its
    // acknowledge ran out (no code).
    void ResendRecord(std::optional<int> code);
    void SendEraseCommand();
    void TraceFrame(const std::uint8_t* frame, std::size_t length);
    void AcceptRecord(bool recWait);
    void AddDebugWord(std::uint8_t low);
    // The image starts again from its load address; false (and stopped) when an image
    // that must be opened again cannot be.
    bool RewindImage();
    // PROG waited too long for the programmed acknowledge.
    bool ProgTimedOut();
    // The receiver refused the erase, or the record now sent: a write fail that starts the
    // load over, or, refused too often in a row, a stop.
    void EraseRefused(LoaderState next);
    void RecordRefused();
    // The image has been read to its end: true when it is still the file that was opened,
    // else the run stops.
    bool ImageUnchangedAtEnd();
    // Stops the upload when the port's device has gone; answers whether it did.
    bool PortGone();
    // Ends the run in SYSTEM FAILURE, where Step does nothing more.
    void Stop(std::string reason);
    void StartImage(const Image& image);
    bool TimedOut(double limitSeconds) const;
    std::int64_t Now() const;
    // Answers of a step that made no at-once transition: call again while input waits,
    // but not after a read that found nothing, so a link whose reads fail cannot keep a
    // burst going.
    bool Waiting() const;
    bool AfterRead(int value) const;
    Image& CurrentImage() { return onSecondImage_ ? secondImage_ : firstImage_; }

    const LoaderTarget target_;
    std::int64_t timeStamp_ = 0;
    CommLink* link_ = nullptr;
    std::uint32_t loadAddress_ = 0;
    std::uint32_t endAddress_ = 0;
    LoaderState savedState_ = LoaderState::NoPort;
    std::uint16_t debugWord_ = 0;
    std::uint32_t reportedValue_ = 0;
    int debugWordCount_ = 0;
    ImageReader* reader_ = nullptr;
    std::array<std::uint8_t, LoaderFrame::kEraseCommandSize> eraseCommand_{};
    int noConnectCount_ = 0;
    std::uint8_t recordNumbered_ = 0;
    WordOrder wordOrder_ = WordOrder::Undecided;
    std::uint8_t addressCheck_ = 0;
    LoaderTrace trace_;
    int sectorsErased_ = 0;

    std::uint32_t eraseStart_ = 0;
    std::uint32_t eraseEnd_ = 0;
    std::uint16_t firstDebugWord_ = 0;
    // The image as created and the image of SecondFile: a full restart (new handshake
    // and erase) sends both again, since the erase covers both.
    Image firstImage_;
    Image secondImage_;
    bool onSecondImage_ = false;
    bool secondImageDue_ = false;
    // The record on the wire, its number, and what a step back needs.
    RecordCursor cursor_;
    // Refusals in a row of the erase (until a record is accepted), and of the record at
    // refusedPosition_ of the first or the second image.
    int eraseRefusals_ = 0;
    int recordRefusals_ = 0;
    std::uint32_t refusedPosition_ = 0;
    bool refusedOnSecondImage_ = false;
    std::optional<int> phase_;
    std::string stopReason_;
};
