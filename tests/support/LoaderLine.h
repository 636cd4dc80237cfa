#pragma once

#include <memory>

#include "COMLINK/CommLink.h"
#include "COMLINK/LineSettings.h"
#include "COMLINK/Win32CommPort.h"

// A port at a speed and the link on it, as the command channel lends them to the engine.
struct LoaderLine {
    bool Open(int portIndex, int speed) {
        port = std::make_unique<Win32CommPort>(portIndex, 4096, 2048, 0);
        if (!port->IsOpen())
            return false;
        link = std::make_unique<CommLink>(*port);
        settings = std::make_unique<LineSettings>(link.get());
        return settings->SetBaud(speed) == 0 && link->SetTxQueueSize(6144) == 0;
    }
    ~LoaderLine() { Close(); }
    // Down in reverse order: the settings put the line back before the link goes.
    void Close() {
        settings.reset();
        link.reset();
        port.reset();
    }
    std::unique_ptr<Win32CommPort> port;
    std::unique_ptr<CommLink> link;
    std::unique_ptr<LineSettings> settings;
};
