#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>

#include "image/ImageReader.h"
#include "loader/FlashLoader.h"
#include "platform/MemorySerialBank.h"
#include "platform/VirtualClock.h"
#include "tests/support/LoaderLine.h"
#include "tests/support/TempWorkDir.h"
#include "tests/support/WireBytes.h"
#include "tools/sample-images/SampleImages.h"

// The engine in virtual time over a memory device on COM1 with no peer: the test plays the
// receiver.
class LoaderFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        bank.Attach(0);
        ASSERT_TRUE(line.Open(0, 115200));
    }

    // Writes the image file, opens the reader on it and creates the engine.
    Bytes Load(const Bytes& image, std::uint8_t recordNumbered, std::uint32_t load,
               std::uint32_t eraseEnd, std::uint8_t addressCheck = 1) {
        TempWorkDir::Write("image.bin", std::string(image.begin(), image.end()));
        EXPECT_TRUE(reader.Open("image.bin"));
        Create(recordNumbered, load, eraseEnd, addressCheck);
        return image;
    }
    // A new engine for the receiver that target describes.
    void Create(std::uint8_t recordNumbered, std::uint32_t load, std::uint32_t eraseEnd,
                std::uint8_t addressCheck = 1) {
        engine.emplace(target);
        engine->Create(&reader, line.link.get(), recordNumbered, load, eraseEnd, addressCheck);
    }

    // Steps as the drivers do, as long as the engine asks; a burst that does not end fails.
    void Burst() {
        int steps = 0;
        while (engine->Step())
            ASSERT_LT(++steps, 100000) << "a burst of Step does not end";
    }
    void Receive(std::initializer_list<int> bytes) {
        const Bytes data(bytes.begin(), bytes.end());
        device().DeliverToHost(data.data(), data.size());
        Burst();
    }
    Bytes Sent() { return device().TakeSent(); }
    platform::MemorySerialDevice& device() { return *bank.Device(0); }

    // Hello and handshake; in record-numbered mode the first record is then on the wire.
    void Connect() {
        Burst();
        Receive({0xAA});
        Receive({0x55});
    }
    // On to the first record on the wire; what went out before it is dropped.
    void ToFirstRecord() {
        Connect();
        for (int i = 0; i < 3; ++i)
            Receive({0x55});  // erase command wanted, erase command taken, erase finished
        Sent();
        Receive({0x55});  // cold start done: the first record goes out
    }
    // The receiver sends these bytes, then one burst: the engine has sent exactly out.
    // A failure names the caller's line (the builtins, since clang 14 with this standard
    // library has no std::source_location).
    void Expect(std::initializer_list<int> in, const Bytes& out,
                const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
        ::testing::ScopedTrace trace(file, line, "");
        Receive(in);
        EXPECT_EQ(Sent(), out);
    }
    // The receiver takes and programs the record on the wire: the next one goes out.
    void Ack(const Bytes& next, const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
        Expect({0x55, 0x55}, next, file, line);
    }
    // The record on the wire arrives; debug words follow before it is programmed.
    void ArriveWithWords(std::initializer_list<std::uint16_t> words) {
        Receive({0x55});
        for (std::uint16_t w : words)
            Receive({0x8E, w >> 8, w & 0xFF});
    }

    std::string Trace() { return TempWorkDir::Read(LoaderTrace::kFileName); }

    TempWorkDir dir;
    platform::VirtualClock clock;
    platform::ScopedClock clockGuard{clock};
    platform::MemorySerialBank bank;
    LoaderLine line;  // after the bank: the port closes before its device goes
    ImageReader reader;
    LoaderTarget target{.uploadFamily = 15};
    std::optional<FlashLoader> engine;
};

using wire::Record;

inline Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t count) {
    return Bytes(bytes.begin() + static_cast<long>(from),
                 bytes.begin() + static_cast<long>(from + count));
}
