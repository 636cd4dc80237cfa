#pragma once

#include <cstdint>
#include <string>

#include "command/ScanTimerDialog.h"
#include "platform/Clock.h"

class CommandChannel;

// "Determining Database Type": asks the identified receiver on the channel for the header
// of the POI data or map it holds, once a second, until it has arrived. Shows the time
// spent.
class CDatabaseTypeDlg : public ScanTimerDialog {
  public:
    CDatabaseTypeDlg(CommandChannel& channel, int& autoUpload, ui::Window* parent = nullptr);

    void OnTimer(int id) override;
    // Every exchange with the controls also asks for the headers the model keeps.
    void DoDataExchange(ui::DataExchange& dx) override;

    std::string unitText;
    std::string elapsedText;
    platform::LocalDateTime startTime;

    // "hh:mm:ss" of a span in seconds; the hours wrap at a day, negative spans show zero.
    static std::string FormatElapsed(std::int64_t seconds);

  private:
    void AskForHeaders();
    bool HeadersArrived() const;

    CommandChannel& channel_;
    std::int64_t startSeconds_ = 0;  // the calendar second of startTime
};
