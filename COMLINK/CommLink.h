#pragma once

#include <memory>

#include "COMLINK/CommPort.h"

class HandshakeSettings;
class LineSettings;

// The serial channel that callers hold: one byte with a time limit, sending, queue
// counts, discarding and line errors, all forwarded to the port. It is the only place
// where the library waits: it polls the port against the platform's millisecond clock
// and sleeps on the device between polls (never spinning).
//
// Built on a port that opened, it saves the port's line and handshake settings, runs the
// line at 9600 8N1 without handshake, and puts the saved settings back when destroyed.
// It never owns the port.
class CommLink {
  public:
    explicit CommLink(CommPort& port);
    virtual ~CommLink();
    CommLink(const CommLink&) = delete;
    CommLink& operator=(const CommLink&) = delete;

    // A byte 0..255, or CL_ERR_TIMEOUT when none arrived within ms (0: one attempt).
    virtual int ReadByteTimed(int ms);
    // 0, or the port's last error when the byte could not be queued.
    virtual int SendByte(int byte);
    virtual int Reserved() { return CL_ERR_UNSUPPORTED; }

    // Bytes queued (a null buffer queues nothing).
    int Write(const void* buffer, int count);
    // Bytes waiting in the receive queue.
    int RxCount();
    // Bytes not yet sent.
    int TxCount();
    // count 0 empties the receive queue; otherwise drops up to count bytes and answers
    // CL_ERR_GENERAL if more were waiting.
    int DiscardInput(int count);
    int DiscardOutput();
    int SetTxQueueSize(int size);
    // Line errors seen since the last call: 0x01 parity, 0x02 framing, 0x04 receive
    // overflow, 0x08 overrun, 0x10 break received. A recorded failure of the port is
    // answered first, once, with the summary 0.
    int LineErrors(unsigned short& summary);

    // What becomes ready when input arrives (for a watch of the front end's loop).
    platform::Waitable InputSource() const { return port_.InputSource(); }

    CommPort& Port() { return port_; }
    LineSettings* Line() { return line_.get(); }
    HandshakeSettings* Handshake() { return handshake_.get(); }

  private:
    CommPort& port_;
    std::unique_ptr<HandshakeSettings> handshake_;
    std::unique_ptr<LineSettings> line_;
};
