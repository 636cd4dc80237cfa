#include "COMLINK/CommPort.h"

#include "COMLINK/LibraryReport.h"
#include "COMLINK/PortOpenCount.h"
#include "platform/Clock.h"

namespace {
constexpr const char* kModule = "COMLINK";
}

CommPort::~CommPort() {
    // Only the object that opened the port may give it back; one that was refused
    // because the port was in use leaves the count of the other alone.
    if (holdsOpenCount_)
        PortOpenCount::Lower(portIndex_);
}

void CommPort::WaitInput(unsigned ms) {
    if (ms > 0)
        platform::GetClock().Yield();
}

int CommPort::Idle() {
    LibraryReport(kModule, 241);
}
int CommPort::RefreshStatus() {
    LibraryReport(kModule, 243);
}
void CommPort::Configure() {
    LibraryReport(kModule, 245);
}
int CommPort::OpenDevice() {
    LibraryReport(kModule, 247);
}
int CommPort::CloseDevice() {
    LibraryReport(kModule, 249);
}
void CommPort::QueueStatus(QueueStatusRecord&, int) {
    LibraryReport(kModule, 251);
}
int CommPort::SetQueues(int, int, int) {
    LibraryReport(kModule, 255);
}
int CommPort::SetHandshake(int, int) {
    LibraryReport(kModule, 257);
}
int CommPort::GetHandshake(int&, int&) {
    LibraryReport(kModule, 259);
}
int CommPort::BreakControl(int) {
    LibraryReport(kModule, 261);
}
int CommPort::LineControl(int, int) {
    LibraryReport(kModule, 263);
}
int CommPort::SetLine(std::int32_t, char, int, int) {
    LibraryReport(kModule, 265);
}
void CommPort::GetLine(std::int32_t&, char&, int&, int&) {
    LibraryReport(kModule, 267);
}
int CommPort::StatusBlock(LineStatusBlock&) {
    LibraryReport(kModule, 269);
}
int CommPort::WriteByte(int) {
    LibraryReport(kModule, 271);
}
int CommPort::WriteString(const char*) {
    LibraryReport(kModule, 273);
}
int CommPort::WriteBlock(const void*, int) {
    LibraryReport(kModule, 275);
}
int CommPort::TransmitChar(int) {
    LibraryReport(kModule, 277);
}
int CommPort::ReadByte() {
    LibraryReport(kModule, 279);
}
int CommPort::ReadBlock(void*, int) {
    LibraryReport(kModule, 281);
}
int CommPort::Purge(int, int) {
    LibraryReport(kModule, 283);
}
void CommPort::DumpStatus(const DumpSink&) {
    LibraryReport(kModule, 285);
}
