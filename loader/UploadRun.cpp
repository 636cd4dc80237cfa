#include "loader/UploadRun.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <utility>

#include "image/ImageReader.h"
#include "platform/Clock.h"

UploadRun::UploadRun(const Settings& settings, CommLink* link, std::vector<Image> images)
    : engine_(settings.target),
      images_(std::move(images)),
      recordNumbered_(settings.recordNumbered != 0) {
    if (images_.empty())
        images_.emplace_back();  // nothing to send: the engine has no port to start on
    const Image& first = images_.front();
    engine_.Create(first.reader, link, settings.recordNumbered, first.loadAddress,
                   settings.eraseEnd, settings.addressCheck);
    engine_.SetPhase(first.phase);
}

void UploadRun::Cancel() {
    if (outcome_ == Outcome::Running || outcome_ == Outcome::Refused)
        outcome_ = Outcome::Cancelled;
}

UploadRun::Outcome UploadRun::RunToEnd(std::uint64_t limitMs,
                                       const std::function<void()>& afterTick) {
    platform::Clock& clock = platform::GetClock();
    const std::uint64_t startMs = clock.MonotonicMs();
    for (std::uint64_t next = startMs + kTickMs; outcome_ == Outcome::Running; next += kTickMs) {
        const std::uint64_t now = clock.MonotonicMs();
        if (now - startMs >= limitMs)
            break;
        if (next > now)
            clock.SleepMs(static_cast<unsigned>(next - now));
        Tick();
        if (afterTick)
            afterTick();
    }
    return outcome_;
}

void UploadRun::Advance() {
    if (outcome_ != Outcome::Running)
        return;
    RunBurst();
    if (engine_.state == LoaderState::SystemFailure) {
        // The engine stopped without the end record (the image could not be read to its
        // end, or the receiver stopped taking records): never a completed upload.
        Fail(Failure::Stopped, engine_.StopReason());
        return;
    }
    if (engine_.state == LoaderState::InvalidFlash) {
        outcome_ = Outcome::Refused;
        return;
    }
    if (awaitingReport_) {
        CheckEndReport();
    } else if (engine_.state == LoaderState::FileDone) {
        bytesSentInRun_ += engine_.bytesSent;
        NextImageOrFinish();
    }
}

void UploadRun::RunBurst() {
    // After the end report the engine would start over; it is not stepped past it.
    if (engine_.state == LoaderState::AllDone)
        return;
    for (;;) {
        const LoaderState before = engine_.state;
        const bool again = engine_.Step();
        if (stepObserver_)
            stepObserver_(before);
        if (!again || engine_.state == LoaderState::AllDone)
            return;
    }
}

void UploadRun::NextImageOrFinish() {
    if (current_ + 1 < images_.size()) {
        const Image& next = images_[++current_];
        engine_.SecondFile(next.reader, next.loadAddress);
        engine_.SetPhase(next.phase);
        return;
    }
    if (images_[current_].phase)
        engine_.SetPhase(kFinishedPhase);
    engine_.Finish();
    if (!recordNumbered_) {
        Complete();
        return;
    }
    // The receiver's end report tells whether it has every record: the run goes on until
    // it has been read.
    awaitingReport_ = true;
    reportWaitStartMs_ = platform::GetClock().MonotonicMs();
}

void UploadRun::CheckEndReport() {
    if (engine_.state == LoaderState::AllDone) {
        if (engine_.receivedSize != bytesSentInRun_) {
            char text[96];
            std::snprintf(text, sizeof text, "Sent %ld bytes\nUnit received %ld",
                          static_cast<long>(bytesSentInRun_),
                          static_cast<long>(engine_.receivedSize));
            Fail(Failure::SizeError, text);
            return;
        }
        if (!ReportedChecksumBad())
            Complete();
        return;
    }
    if (platform::GetClock().MonotonicMs() - reportWaitStartMs_ < kEndReportWaitMs)
        return;
    // A checksum that came without the size still tells of a damaged run.
    if (ReportedChecksumBad())
        return;
    // Receivers that send no report exist; the run counts as complete, as it always did,
    // but the trace says so.
    engine_.Trace().Line("END REPORT - none after %lu ms, taken as complete\n",
                         static_cast<unsigned long>(kEndReportWaitMs));
    engine_.CloseTrace();
    Complete();
}

bool UploadRun::ReportedChecksumBad() {
    if (engine_.endChecksum == 0)
        return false;
    char text[48];
    std::snprintf(text, sizeof text, "Non-zero checksum %04x",
                  static_cast<unsigned>(engine_.endChecksum));
    Fail(Failure::ChecksumError, text);
    return true;
}

void UploadRun::Complete() {
    awaitingReport_ = false;
    outcome_ = Outcome::Complete;
}

void UploadRun::Fail(Failure failure, std::string text) {
    awaitingReport_ = false;
    outcome_ = Outcome::Failed;
    failure_ = failure;
    failureText_ = std::move(text);
}

int UploadRun::Percentage(int cap) const {
    const std::int64_t divisor = images_[current_].progressSize;
    if (divisor <= 0)
        return 0;
    const double value =
        static_cast<double>(engine_.bytesSent) / static_cast<double>(divisor) * 100.0 + 0.5;
    const int percent = static_cast<int>(std::clamp(value, 0.0, static_cast<double>(INT_MAX)));
    return outcome_ == Outcome::Complete ? percent : std::min(percent, cap);
}
