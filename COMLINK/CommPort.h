#pragma once

#include <cstdint>
#include <functional>

#include "COMLINK/CommResult.h"
#include "COMLINK/LineStatusBlock.h"
#include "COMLINK/QueueStatusRecord.h"
#include "platform/Waitable.h"

// Receives the status dump one zero-terminated line at a time, without line breaks.
using DumpSink = std::function<void(const char* line)>;

// The abstract serial port. It fixes the order of the virtual operations; its own
// versions of the device operations end the program with the library report, and a port
// type replaces all of them.
class CommPort {
  public:
    explicit CommPort(int portIndex) : portIndex_(portIndex) {}
    virtual ~CommPort();
    CommPort(const CommPort&) = delete;
    CommPort& operator=(const CommPort&) = delete;

    virtual int Idle();
    virtual int RefreshStatus();
    virtual void Configure();
    virtual int OpenDevice();
    virtual int CloseDevice();
    virtual void QueueStatus(QueueStatusRecord& record, int selector);
    virtual int SetQueues(int rxSize, int xoffLimit, int txSize);
    virtual int SetHandshake(int rxCode, int txCode);
    virtual int GetHandshake(int& rxCode, int& txCode);
    virtual int BreakControl(int state);
    virtual int LineControl(int code, int value);
    virtual int SetLine(std::int32_t baud, char parity, int dataBits, int stopBits);
    virtual void GetLine(std::int32_t& baud, char& parity, int& dataBits, int& stopBits);
    virtual int StatusBlock(LineStatusBlock& block);
    virtual int WriteByte(int byte);
    virtual int WriteString(const char* text);
    virtual int WriteBlock(const void* buffer, int count);
    virtual int TransmitChar(int byte);
    virtual int ReadByte();
    virtual int ReadBlock(void* buffer, int count);
    virtual int Purge(int direction, int count);
    virtual void DumpStatus(const DumpSink& sink);
    // Reserved for other port types.
    virtual int Reserved1() { return CL_ERR_UNSUPPORTED; }
    virtual int Reserved2() { return CL_ERR_UNSUPPORTED; }
    // Waits until input may have arrived or ms have passed (the channel's waits), without
    // spinning; by default a short sleep of the platform clock.
    virtual void WaitInput(unsigned ms);
    // What becomes ready when input arrives, or nothing.
    virtual platform::Waitable InputSource() const { return {}; }

    int PortIndex() const { return portIndex_; }
    // The last recorded result code, 0 if none.
    int LastError() const { return lastError_; }
    // The last recorded result code, which is then forgotten.
    int TakeLastError() {
        int error = lastError_;
        lastError_ = 0;
        return error;
    }

  protected:
    // Stores a code as the last error and answers it.
    int Record(int code) {
        lastError_ = code;
        return code;
    }

    std::int32_t portIndex_;
    std::int32_t lastError_ = 0;
    // Set by the port type once this object has opened the port; only then does the
    // destructor lower the port's open count.
    bool holdsOpenCount_ = false;
};

// Purge directions.
inline constexpr int PURGE_RECEIVE = 0;
inline constexpr int PURGE_TRANSMIT = 1;
