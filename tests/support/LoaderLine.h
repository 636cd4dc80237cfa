#pragma once

#include "COMLINK/CommLink.h"
#include "command/CommandChannel.h"

// The command channel's line, as the channel lends it to the engine: a port at a speed and
// the link on it.
struct LoaderLine : ReceiverIdentity, CommandChannel {
    LoaderLine() : CommandChannel(static_cast<ReceiverIdentity&>(*this)) {}
    bool Open(int portIndex, int speed) {
        CommandChannel::Open(portIndex, speed, false);
        return isOpen != 0;
    }
};
