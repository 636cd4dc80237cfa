// What every serial backend does alike: written once, run per backend.
#include "tests/platform/SerialConformance.h"

#include <string>

#include "platform/Clock.h"
#include "platform/SerialTypes.h"

using namespace platform;

namespace {

std::uint32_t Write(SerialDevice& device, const std::string& bytes) {
    std::uint32_t queued = 0;
    EXPECT_TRUE(device.Write(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                             static_cast<std::uint32_t>(bytes.size()), queued, nullptr));
    return queued;
}

std::string ReadAll(SerialDevice& device) {
    std::uint8_t buffer[512];
    std::uint32_t got = 0;
    EXPECT_TRUE(device.Read(buffer, sizeof buffer, got, nullptr));
    return std::string(buffer, buffer + got);
}

COMSTAT Status(SerialDevice& device) {
    std::uint32_t errors = 0;
    COMSTAT stat{};
    EXPECT_TRUE(device.ClearCommError(errors, &stat));
    return stat;
}

}  // namespace

void SerialConformance::SetUp() {
    line = GetParam().make();
    if (line == nullptr)
        GTEST_SKIP() << GetParam().name << ": the line is not there";
}

std::shared_ptr<SerialDevice> SerialConformance::Opened() {
    std::shared_ptr<SerialDevice> device = line->NewDevice();
    EXPECT_TRUE(device != nullptr && device->Open());
    return device;
}

std::uint32_t SerialConformance::AwaitInput(SerialDevice& device, std::uint32_t count,
                                            unsigned ms) {
    Clock& clock = GetClock();
    const std::uint64_t end = clock.MonotonicMs() + ms;
    std::uint32_t waiting = Status(device).cbInQue;
    for (std::uint64_t now = clock.MonotonicMs(); waiting < count && now < end;
         now = clock.MonotonicMs()) {
        device.WaitInput(static_cast<unsigned>(end - now));
        waiting = Status(device).cbInQue;
    }
    return waiting;
}

TEST_P(SerialConformance, OpensExclusivelyAndClosesForTheNext) {
    std::shared_ptr<SerialDevice> first = Opened();
    std::shared_ptr<SerialDevice> second = line->NewDevice();
    EXPECT_FALSE(second->Open());
    EXPECT_NE(second->LastSystemError(), 0);
    EXPECT_TRUE(first->Close());
    EXPECT_TRUE(second->Open());
    EXPECT_TRUE(second->Close());
}

TEST_P(SerialConformance, LineSettingsComeBackAsSetAndCloseRestoresThem) {
    DCB before{};
    {
        std::shared_ptr<SerialDevice> device = Opened();
        ASSERT_TRUE(device->GetCommState(before));
        DCB dcb = before;
        dcb.BaudRate = before.BaudRate == 4800 ? 9600 : 4800;
        dcb.StopBits = TWOSTOPBITS;
        ASSERT_TRUE(device->SetCommState(dcb));
        DCB now{};
        ASSERT_TRUE(device->GetCommState(now));
        EXPECT_EQ(now.BaudRate, dcb.BaudRate);
        EXPECT_EQ(now.StopBits, TWOSTOPBITS);
        EXPECT_TRUE(device->Close());
    }
    if (!GetParam().restores)
        return;
    std::shared_ptr<SerialDevice> again = Opened();
    DCB after{};
    ASSERT_TRUE(again->GetCommState(after));
    EXPECT_EQ(after.BaudRate, before.BaudRate);
    EXPECT_EQ(after.StopBits, before.StopBits);
}

TEST_P(SerialConformance, BytesGoBothWaysRawWholeAndInOrder) {
    std::shared_ptr<SerialDevice> device = Opened();
    ASSERT_TRUE(device->SetupComm(4096, 32768));
    std::string block(20000, '\0');
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    EXPECT_EQ(Write(*device, block), block.size());  // more than a kernel takes at once
    std::string got;
    for (int round = 0; round < 400 && got.size() < block.size(); ++round) {
        got += line->Receive(block.size() - got.size(), 5);
        Status(*device);  // queued output is pushed on by later calls
    }
    EXPECT_TRUE(got == block) << got.size() << " of " << block.size() << " bytes";
    const std::string answer("\x00\xff\r\n\x11\x13", 6);
    line->Send(answer);
    EXPECT_EQ(AwaitInput(*device, 6, 2000), 6u);
    EXPECT_EQ(ReadAll(*device), answer);
    EXPECT_EQ(ReadAll(*device), "");
}

TEST_P(SerialConformance, FullQueueTakesLessAndPurgeDropsBothDirections) {
    std::shared_ptr<SerialDevice> device = Opened();
    ASSERT_TRUE(device->SetupComm(4096, 2048));
    line->HoldOutput();
    const std::string chunk(2048, 'x');
    std::uint32_t total = 0;
    std::uint32_t queued = 0;
    for (int i = 0; i < 400 && (queued = Write(*device, chunk)) == chunk.size(); ++i)
        total += queued;
    total += queued;
    EXPECT_LT(queued, chunk.size());  // the queue filled up: a short write
    // A pseudo-terminal's kernel may already have moved all of it to the far end's side,
    // out of reach of a purge: then there is nothing to drop.
    if (Status(*device).cbOutQue == 0)
        GTEST_SKIP() << "the line holds the output beyond the device's queue";
    ASSERT_TRUE(device->PurgeComm(PURGE_TXABORT | PURGE_TXCLEAR));
    EXPECT_EQ(Status(*device).cbOutQue, 0u);
    EXPECT_LT(line->Receive(total, 100).size(), total);
    line->Send("abcdef");
    EXPECT_EQ(AwaitInput(*device, 6, 2000), 6u);
    ASSERT_TRUE(device->PurgeComm(PURGE_RXABORT | PURGE_RXCLEAR));
    EXPECT_EQ(Status(*device).cbInQue, 0u);
    EXPECT_EQ(ReadAll(*device), "");
}

TEST_P(SerialConformance, ModemLinesAndBreakWorkOrReadAsOff) {
    std::shared_ptr<SerialDevice> device = Opened();
    for (std::uint32_t function : {SETDTR, CLRDTR, SETRTS, CLRRTS})
        EXPECT_TRUE(device->EscapeCommFunction(function)) << function;
    EXPECT_TRUE(device->SetCommBreak());
    EXPECT_TRUE(device->ClearCommBreak());
    std::uint32_t status = 0xFFFF;
    EXPECT_TRUE(device->GetCommModemStatus(status));
    if (!GetParam().hasModemLines) {
        EXPECT_EQ(status, 0u);
    }
    EXPECT_EQ(device->LastSystemError(), 0);
}

TEST_P(SerialConformance, InputWakesTheWaitBeforeItsTime) {
    std::shared_ptr<SerialDevice> device = Opened();
    Clock& clock = GetClock();
    const std::uint64_t start = clock.MonotonicMs();
    line->Send("!", 300);
    EXPECT_EQ(AwaitInput(*device, 1, 5000), 1u);
    const std::uint64_t waited = clock.MonotonicMs() - start;
    EXPECT_GE(waited, 250u);
    EXPECT_LT(waited, 2500u);
    // A front end's loop sleeps on the source: it is ready while the byte waits.
    if (device->InputSource().Valid()) {
        const Waitable source = device->InputSource();
        EXPECT_EQ(WaitForAny(std::span(&source, 1), 1000), 0);
        EXPECT_EQ(ReadAll(*device), "!");
    }
}
