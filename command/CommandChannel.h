#pragma once

#include <array>
#include <memory>
#include <string_view>
#include <utility>

#include "command/ChannelEvents.h"
#include "command/ReceiverIdentity.h"

class CommLink;
class LineSettings;
class Win32CommPort;

// The one text conversation with a running receiver: the port with its link and line
// settings, opened at a port and speed, command sentences going out, reply lines coming
// back into the receiver's identity. What it has to tell goes to its events.
class CommandChannel {
  public:
    // Replies fill identity, which must outlive the channel.
    explicit CommandChannel(ReceiverIdentity& identity);
    ~CommandChannel();
    CommandChannel(const CommandChannel&) = delete;
    CommandChannel& operator=(const CommandChannel&) = delete;

    // What the receiver's replies said.
    const ReceiverIdentity& Identity() const { return identity_; }
    // What whoever shows the receiver takes of what the channel reports.
    void SetEvents(ChannelEvents events) { events_ = std::move(events); }

    // Open and Reopen report through isOpen and openFailed; with showErrors a failure also
    // asks for "COULD NOT OPEN COM PORT".
    void Open(int comIndex, int baud, bool showErrors);
    void Close();
    // Keeps a channel that is open on this port at this speed; otherwise opens anew.
    void Reopen(int comIndex, int baud, bool showErrors);
    // Sends "$PXRV" + text + checksum + CR LF. Nothing is sent while the channel is closed.
    void SendSentence(std::string_view text);
    // After an upload command: pushes out what was sent and gives the receiver about two
    // seconds to change into its loader.
    void Settle();
    // Takes every byte waiting, assembling and interpreting reply lines; true when a line
    // of this call was a recognised sentence.
    bool PollReplies();
    // Takes waiting bytes until the loader's first byte (0xAA or 0x77): true; false once
    // nothing is waiting. Only on an open channel.
    bool WaitLoaderByte();
    // Checks and interprets the line in lineBuf; always empties it.
    bool ParseLine();

    int baud = 4800;   // bit/s; 0 = automatic
    int comIndex = 0;  // 0 = COM1
    // The connection scan stays on this port index; -1: it goes round COM1 to COM4.
    int scanPortOnly = -1;
    int isOpen = 0;
    int openFailed = 0;
    std::unique_ptr<CommLink> link;              // link of the open channel
    std::unique_ptr<Win32CommPort> port;         // port of the open channel
    std::unique_ptr<LineSettings> lineSettings;  // line settings of the open channel
    std::array<char, 256> lineBuf{};
    int lineLen = 0;

  private:
    void ReportOpenFailure(int portIndex, bool showErrors);

    ReceiverIdentity& identity_;
    ChannelEvents events_;
};
