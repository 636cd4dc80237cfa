#pragma once

#include <cstdint>

#include "platform/Clock.h"
#include "platform/SerialTypes.h"
#include "platform/Waitable.h"

namespace platform {

// One serial device as the port object sees it. Every call answers true on success;
// on failure LastSystemError() says why (an errno value, or one of the IE_ values).
// No call ever waits for the line: reads take what has arrived, writes queue what fits.
class SerialDevice {
  public:
    virtual ~SerialDevice() = default;

    // Opens the device exclusively. Fails when it is missing, not accessible or in use.
    virtual bool Open() = 0;
    // Closes the device; queued output that has not left is dropped.
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;

    // Sizes of the receive and transmit queues.
    virtual bool SetupComm(std::uint32_t rxSize, std::uint32_t txSize) = 0;
    virtual bool GetCommState(DCB& dcb) = 0;
    // Applies the whole settings block at once.
    virtual bool SetCommState(const DCB& dcb) = 0;
    virtual bool SetCommTimeouts(const COMMTIMEOUTS& timeouts) = 0;
    virtual bool GetCommMask(std::uint32_t& mask) = 0;
    virtual bool SetCommMask(std::uint32_t mask) = 0;
    // Answers the events of the mask that are true now; fails rather than wait.
    virtual bool WaitCommEvent(std::uint32_t& events) = 0;
    virtual bool EscapeCommFunction(std::uint32_t function) = 0;
    virtual bool SetCommBreak() = 0;
    virtual bool ClearCommBreak() = 0;
    virtual bool GetCommModemStatus(std::uint32_t& status) = 0;
    // Reports and clears the line errors (CE_ bits) and fills the queue status.
    virtual bool ClearCommError(std::uint32_t& errors, COMSTAT* stat) = 0;
    virtual bool PurgeComm(std::uint32_t flags) = 0;
    // Reads up to size bytes that have already arrived; never waits.
    virtual bool Read(std::uint8_t* data, std::uint32_t size, std::uint32_t& got,
                      OVERLAPPED* io) = 0;
    // Queues up to size bytes for sending; never waits. Answers how many were taken.
    virtual bool Write(const std::uint8_t* data, std::uint32_t size, std::uint32_t& queued,
                       OVERLAPPED* io) = 0;
    // Sends one byte ahead of whatever is queued.
    virtual bool TransmitCommChar(std::uint8_t byte) = 0;

    virtual int LastSystemError() const = 0;

    // Waits until input has arrived, the device has something to report, or ms have
    // passed, on the platform clock; queued output keeps leaving meanwhile. By default a
    // millisecond of the clock: a device in memory is serviced as the clock moves.
    virtual void WaitInput(unsigned ms) {
        if (ms > 0)
            GetClock().SleepMs(1);
    }
    // What becomes ready when input arrives (for a watch of the front end's loop), or
    // nothing.
    virtual Waitable InputSource() const { return {}; }
};

}  // namespace platform
