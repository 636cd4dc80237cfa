#pragma once

#include "COMLINK/LineStatusBlock.h"

class CommLink;
class CommPort;

// The handshake choice of a port, with the codes found when it was made, and the port's
// packed line status block.
class HandshakeSettings {
  public:
    explicit HandshakeSettings(CommLink& link);
    HandshakeSettings(const HandshakeSettings&) = delete;
    HandshakeSettings& operator=(const HandshakeSettings&) = delete;

    int Set(int rxCode, int txCode);
    // Puts back the codes found at construction.
    int Restore();
    // Takes a new line status block (which also clears the port's collected errors).
    int Refresh();

    int BreakReceived() const { return block_.Field(11); }
    int ParityError() const { return block_.Field(12); }
    int FramingError() const { return block_.Field(13); }
    int ReceiveOverflow() const { return block_.Field(14); }
    int Overrun() const { return block_.Field(15); }
    const LineStatusBlock& Block() const { return block_; }

  private:
    int savedRx_ = 0;
    int savedTx_ = 0;
    int rx_ = 0;
    int tx_ = 0;
    LineStatusBlock block_;
    CommPort& port_;
};
