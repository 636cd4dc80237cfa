#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "loader/FlashLoader.h"

class CommLink;
class ImageReader;

// One upload run: the engine, the images it sends one after the other in one session, the
// end report of a record-numbered run, and how the run ended.
//
// Whoever shows the run calls Tick from its 100 ms timer and InputArrived when the port
// has input, so that a record follows its acknowledge without waiting for the tick; a
// caller without a window lets RunToEnd tick it. Each is one burst of engine steps and
// what the state then asks for: the next image, the end record, the end report.
class UploadRun {
  public:
    enum class Outcome {
        Running,
        Complete,   // the receiver has every image, by its report or by its silence
        Cancelled,  // the user stopped it
        Refused,    // the receiver refused the load (bad type): the engine waits for good
        Failed,     // Failure() and FailureText() say why
    };
    enum class Failure {
        None,
        Stopped,        // the engine stopped without the end record; the text is its reason
        SizeError,      // the receiver reported another size than was sent
        ChecksumError,  // the receiver reported a checksum that is not zero
    };

    // One image of the run, in the order sent.
    struct Image {
        Image() = default;
        Image(ImageReader* imageReader, std::uint32_t load, std::string name = {},
              std::int64_t progressBytes = 0, std::optional<int> reportPhase = std::nullopt)
            : reader(imageReader),
              loadAddress(load),
              label(std::move(name)),
              progressSize(progressBytes),
              phase(reportPhase) {}

        ImageReader* reader = nullptr;  // borrowed; must outlive the run
        std::uint32_t loadAddress = 0;
        std::string label;              // the progress dialog's name of it while it is sent
        std::int64_t progressSize = 0;  // the bytes its percentage counts
        // Family 2: the phase the engine orders the receiver's two-word reports by.
        std::optional<int> phase = std::nullopt;
    };
    // How the engine is created for the first image; the images after it go on in the
    // same session, without handshake or erase (the engine takes one more image).
    struct Settings {
        LoaderTarget target;
        std::uint8_t recordNumbered = 0;
        std::uint32_t eraseEnd = 0;
        std::uint8_t addressCheck = 0;
    };

    static constexpr unsigned kTickMs = 100;
    // After the end record of a record-numbered run the receiver reports its checksum and
    // the bytes it received; a report that has not come after this long is taken as a
    // good one.
    static constexpr std::uint64_t kEndReportWaitMs = 10000;
    // The phase the engine is told once every image of a phased run has gone.
    static constexpr int kFinishedPhase = 3;

    // Creates the engine on link for the first image; empties "DEBUG.OUT".
    UploadRun(const Settings& settings, CommLink* link, std::vector<Image> images);
    UploadRun(const UploadRun&) = delete;
    UploadRun& operator=(const UploadRun&) = delete;

    // The timer's share: a burst of steps and what the state then asks for.
    void Tick() { Advance(); }
    // The port has input: the same at once.
    void InputArrived() { Advance(); }
    // The user stopped the run while it was not over.
    void Cancel();
    // Without a window: ticks every kTickMs of the clock until the run is over or limitMs
    // have passed; afterTick, if given, looks on after every tick. Answers the outcome.
    Outcome RunToEnd(std::uint64_t limitMs, const std::function<void()>& afterTick = {});

    // Called after every step of the engine with the state before it, for checks that look
    // at every step (the fuzz target).
    void ObserveSteps(std::function<void(LoaderState before)> observer) {
        stepObserver_ = std::move(observer);
    }

    Outcome Result() const { return outcome_; }
    Failure FailureKind() const { return failure_; }
    const std::string& FailureText() const { return failureText_; }

    const Image& CurrentImage() const { return images_[current_]; }
    std::size_t CurrentIndex() const { return current_; }
    // The percentage of the current image the engine has sent, rounded; capped while the
    // run is not complete.
    int Percentage(int cap) const;
    FlashLoader& Engine() { return engine_; }
    const FlashLoader& Engine() const { return engine_; }

  private:
    void Advance();
    void RunBurst();
    // The engine has sent the current image: the next one, or the end record.
    void NextImageOrFinish();
    void CheckEndReport();
    // The receiver's end checksum is not zero: the run failed.
    bool ReportedChecksumBad();
    void Complete();
    void Fail(Failure failure, std::string text);

    FlashLoader engine_;
    std::vector<Image> images_;
    std::size_t current_ = 0;
    bool recordNumbered_ = false;
    bool awaitingReport_ = false;
    std::uint64_t reportWaitStartMs_ = 0;
    // Bytes of the run's images the engine has sent, up to the last FILE DONE.
    std::uint32_t bytesSentInRun_ = 0;
    Outcome outcome_ = Outcome::Running;
    Failure failure_ = Failure::None;
    std::string failureText_;
    std::function<void(LoaderState)> stepObserver_;
};
