#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/FaultRule.h"
#include "sim/ReceiverIdentities.h"

namespace sim {

// Which loader protocol a load uses: erase an address range and send addressed records,
// or send numbered records without an erase.
enum class LoaderMode { Auto, Address, Record };

// Where the receiver is when a load has completed and it has restarted.
enum class AfterLoad {
    Auto,      // the loader after the first load of a family-2 unit with firmware below 3
               // (its boot block must be loaded again), sentence mode otherwise
    Sentence,  // running normally again
    Loader,    // in its loader again, saying hello
    Stay,      // stays in its finished loader and says nothing more
};

// Delays of the receiver, in milliseconds of the caller's clock.
struct ReceiverTiming {
    std::uint32_t replyDelayMs = 20;        // from a command sentence to its reply
    std::uint32_t modeSwitchMs = 300;       // from a load command to the loader's first hello
    std::uint32_t helloIntervalMs = 250;    // hello repeated until answered
    std::uint32_t ackDelayMs = 1;           // from a frame to its first answer
    std::uint32_t programMsPerRecord = 10;  // from "arrived" to "programmed"
    std::uint32_t eraseMsPerSector = 50;    // between two sector-erased reports
    std::uint32_t restartMs = 1000;         // from a completed load to the restarted receiver
    std::uint32_t faultRestartMs = 500;     // from fail, Bad type or bad cmd to the next hello
    std::uint32_t resetReadyMs = 100;       // from reset (0x87) to its rec wait
    std::uint32_t frameTimeoutMs = 500;     // quiet line that ends an incomplete or bad frame
    std::uint32_t repromptMs = 0;  // rec wait again after this long without a record (0: never)
    std::uint32_t chatterMs = 0;   // other NMEA sentences this often in sentence mode (0: none)
    bool pace = false;             // bytes take ten bits each at the line rate, both ways
};

// Everything that makes one simulated receiver.
struct ReceiverOptions {
    // Identity. The constructor sets up the "Pathwick" row; SetIdentity picks another.
    std::string productCode;
    std::string displayName;
    int family = 0;         // loader family; 0 for a code not in the list
    std::string modelText;  // positions 22 to 32 of the version reply
    std::string firmware = "2.05";
    std::string memory;     // the fields of the memory reply, e.g. "4096,2048,1024"
    std::string poiHeader;  // text after "$PXRVPOI,"; empty: the query is not answered
    std::string mapHeader;  // text after "$PXRVMPH,"; empty: the query is not answered

    // Line and loader.
    std::uint32_t sentenceSpeed = 4800;
    std::uint32_t loaderSpeed = 115200;
    bool startInLoader = false;  // powered on in its software-load mode (expert mode)
    LoaderMode loaderMode = LoaderMode::Auto;
    AfterLoad afterLoad = AfterLoad::Auto;
    std::uint32_t sectorSize = 0x10000;
    std::uint32_t recordBase = 0;      // record-numbered mode stores record n at base + n * 1980
    std::size_t maxRecordData = 2048;  // longest data record it takes
    bool readyWithRecWait = false;     // "ready" answers are 0x77 instead of 0x55
    bool announceWithRecWait = false;  // the loader says 0x77 instead of hello, expects records
    bool checksumFoldsDollar = false;  // reply checksums include the "$"
    bool lowerCaseChecksum = false;
    bool debugLowWordFirst = false;  // two-word debug reports carry the low word first

    ReceiverTiming timing;
    std::vector<FaultRule> faults;
    std::uint64_t seed = 1;

    // Receives a line for each sentence and loader event when set.
    std::function<void(const std::string&)> log;

    ReceiverOptions();

    // Takes the identity of a row with its usual model text, memory and header replies.
    void SetIdentity(const ReceiverIdentities::Row& row);
    // By display name, else by product code; false when neither is known.
    bool SetModel(std::string_view nameOrCode);
    // A product code outside the list: an unsupported receiver, with generic replies.
    void SetUnknownCode(std::string_view code);

    // The header reply of a city database: a three-character prefix and the 48-character
    // header (",    GPS 7K1    ,   WORLDWIDE   ,    CITIES     " and the like).
    static std::string DatabaseHeaderReply(std::string_view header48);
    // The header reply of a receiver without a database: erased flash, 0xFF throughout.
    static std::string NoDatabaseReply();
    // The 48-character header of a known database region (WORLDWIDE, AMERICAS,
    // ASIA-AUSTRALIA, EUROPE-AFRICA), or empty.
    static std::string_view DatabaseHeader(std::string_view region);
};

}  // namespace sim
