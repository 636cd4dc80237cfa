#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/SerialPeer.h"

// Stands between the host and a receiver: keeps everything the host sent, and on request
// changes what the receiver says after the end record: its end report's checksum word, or
// nothing at all gets through any more.
class LineTap : public platform::SerialPeer {
  public:
    enum class Mode { Pass, Checksum, Mute };

    explicit LineTap(platform::SerialPeer& inner) : inner_(inner) {}

    void TamperAfterEnd(Mode mode, std::uint16_t checksum = 0) {
        mode_ = mode;
        checksum_ = checksum;
    }
    // Sentences the host sent with this command text.
    int CountSentences(const std::string& command) const {
        int count = 0;
        const std::string sentence = "$PXRV" + command + "*";
        for (std::size_t at = host.find(sentence); at != std::string::npos;
             at = host.find(sentence, at + 1))
            ++count;
        return count;
    }

    std::string host;  // every byte the host sent

    void OnLineParams(const platform::LineParams& params) override { inner_.OnLineParams(params); }
    void OnHostBytes(const std::uint8_t* data, std::size_t size, std::uint64_t nowMs) override {
        static const std::string kEndRecord("\x5B\x00\x00\x00\x00\x5D", 6);
        host.append(data, data + size);
        sent_.append(data, data + size);
        if (sent_.size() > 64)
            sent_.erase(0, sent_.size() - 64);
        if (sent_.find(kEndRecord) != std::string::npos)
            afterEnd_ = true;
        inner_.OnHostBytes(data, size, nowMs);
    }
    void Service(std::uint64_t nowMs, std::vector<std::uint8_t>& toHost) override {
        const std::size_t from = toHost.size();
        inner_.Service(nowMs, toHost);
        if (!afterEnd_ || mode_ == Mode::Pass)
            return;
        if (mode_ == Mode::Mute) {
            toHost.resize(from);
            return;
        }
        for (std::size_t i = from; i < toHost.size(); ++i) {
            // The first debug report after the end record carries the checksum.
            if (pending_ > 0) {
                toHost[i] = static_cast<std::uint8_t>(pending_ == 2 ? checksum_ >> 8 : checksum_);
                --pending_;
            } else if (!replaced_ && toHost[i] == 0x8E) {
                replaced_ = true;
                pending_ = 2;
            }
        }
    }
    void OnModemLines(bool dtrOn, bool rtsOn) override { inner_.OnModemLines(dtrOn, rtsOn); }
    bool Present() const override { return inner_.Present(); }

  private:
    platform::SerialPeer& inner_;
    Mode mode_ = Mode::Pass;
    std::uint16_t checksum_ = 0;
    std::string sent_;
    bool afterEnd_ = false;
    bool replaced_ = false;
    int pending_ = 0;
};
