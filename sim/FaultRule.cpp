#include "sim/FaultRule.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace sim {

namespace {

struct KindName {
    std::string_view name;
    FaultKind kind;
    std::uint8_t code;  // resend aliases carry their code
};

constexpr std::array<KindName, 16> kKinds = {{
    {"resend", FaultKind::Resend, 0x81},
    {"resend81", FaultKind::Resend, 0x81},
    {"resend82", FaultKind::Resend, 0x82},
    {"resend85", FaultKind::Resend, 0x85},
    {"resend88", FaultKind::Resend, 0x88},
    {"lostack", FaultKind::LostAck, 0},
    {"recnum", FaultKind::RecNumber, 0},
    {"debug", FaultKind::Debug, 0},
    {"reset", FaultKind::Reset, 0},
    {"fail", FaultKind::Fail, 0},
    {"badtype", FaultKind::BadType, 0},
    {"badcmd", FaultKind::BadCmd, 0},
    {"garbage", FaultKind::Garbage, 0},
    {"silence", FaultKind::Silence, 0},
    {"disconnect", FaultKind::Disconnect, 0},
    {"drop", FaultKind::Drop, 0},
}};

constexpr std::array<std::pair<std::string_view, FaultEvent>, 5> kEvents = {{
    {"record", FaultEvent::Record},
    {"erase", FaultEvent::Erase},
    {"handshake", FaultEvent::Handshake},
    {"sentence", FaultEvent::Sentence},
    {"reply", FaultEvent::Reply},
}};

FaultEvent DefaultEvent(FaultKind kind) {
    switch (kind) {
        case FaultKind::BadType:
            return FaultEvent::Handshake;
        case FaultKind::BadCmd:
            return FaultEvent::Erase;
        case FaultKind::Garbage:
            return FaultEvent::Reply;
        default:
            return FaultEvent::Record;
    }
}

bool EventAllowed(FaultKind kind, FaultEvent on) {
    switch (kind) {
        case FaultKind::Resend:
        case FaultKind::Fail:
            return on == FaultEvent::Record || on == FaultEvent::Erase;
        case FaultKind::LostAck:
        case FaultKind::RecNumber:
        case FaultKind::Debug:
        case FaultKind::Reset:
        case FaultKind::Drop:
            return on == FaultEvent::Record;
        case FaultKind::BadType:
            return on == FaultEvent::Handshake;
        case FaultKind::BadCmd:
            return on == FaultEvent::Erase;
        case FaultKind::Garbage:
            return on == FaultEvent::Reply || on == FaultEvent::Record ||
                   on == FaultEvent::Sentence;
        case FaultKind::Silence:
        case FaultKind::Disconnect:
            return on != FaultEvent::Reply;
    }
    return false;
}

bool ParseUnsigned(std::string_view text, std::uint64_t& out, int base = 10) {
    if (base == 16 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    if (text.empty())
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseProbability(std::string_view text, double& out) {
    if (text.empty())
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out >= 0.0 && out <= 1.0;
}

std::string_view KindText(FaultKind kind) {
    for (const KindName& k : kKinds) {
        if (k.kind == kind)
            return k.name;
    }
    return "?";
}

std::string_view EventText(FaultEvent on) {
    for (const auto& e : kEvents) {
        if (e.second == on)
            return e.first;
    }
    return "?";
}

}  // namespace

bool FaultRule::Parse(std::string_view text, FaultRule& out, std::string& error) {
    FaultRule rule;
    const std::size_t colon = text.find(':');
    const std::string_view kindText = text.substr(0, colon);
    bool known = false;
    for (const KindName& k : kKinds) {
        if (k.name == kindText) {
            rule.kind = k.kind;
            rule.code = k.kind == FaultKind::Resend ? k.code : 0;
            known = true;
            break;
        }
    }
    if (!known) {
        error = "unknown fault kind '" + std::string(kindText) + "'";
        return false;
    }
    rule.on = DefaultEvent(rule.kind);
    bool countGiven = false;
    std::string_view rest =
        colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos) {
            error = "expected key=value, got '" + std::string(item) + "'";
            return false;
        }
        const std::string_view key = item.substr(0, eq);
        const std::string_view value = item.substr(eq + 1);
        std::uint64_t number = 0;
        bool ok = true;
        if (key == "at") {
            ok = ParseUnsigned(value, number) && number >= 1;
            rule.at = number;
        } else if (key == "count") {
            ok = ParseUnsigned(value, number);
            rule.count = number;
            countGiven = true;
        } else if (key == "every") {
            ok = ParseUnsigned(value, number) && number >= 1;
            rule.every = number;
        } else if (key == "prob") {
            ok = ParseProbability(value, rule.probability);
        } else if (key == "on") {
            ok = false;
            for (const auto& e : kEvents) {
                if (e.first == value) {
                    rule.on = e.second;
                    ok = true;
                }
            }
        } else if (key == "code" && rule.kind == FaultKind::Resend) {
            ok = ParseUnsigned(value, number, 16) &&
                 (number == 0x81 || number == 0x82 || number == 0x85 || number == 0x88);
            rule.code = static_cast<std::uint8_t>(number);
        } else if (key == "words" && rule.kind == FaultKind::Debug) {
            ok = ParseUnsigned(value, number) && number >= 1 && number <= 16;
            rule.words = static_cast<int>(number);
        } else if (key == "n" && rule.kind == FaultKind::Garbage) {
            ok = ParseUnsigned(value, number) && number >= 1 && number <= 4096;
            rule.garbageBytes = static_cast<int>(number);
        } else if (key == "for" && rule.kind == FaultKind::Silence) {
            ok = ParseUnsigned(value, number);
            rule.forMs = number;
        } else if (key == "which" && rule.kind == FaultKind::LostAck) {
            rule.dropArrived = value == "arrived" || value == "both";
            rule.dropProgrammed = value == "programmed" || value == "both";
            ok = rule.dropArrived || rule.dropProgrammed;
        } else {
            error = "unknown parameter '" + std::string(key) + "' for " + std::string(kindText);
            return false;
        }
        if (!ok) {
            error = "bad value '" + std::string(value) + "' for " + std::string(key);
            return false;
        }
    }
    if (!EventAllowed(rule.kind, rule.on)) {
        error = std::string(kindText) + " cannot strike on " + std::string(EventText(rule.on));
        return false;
    }
    if (!countGiven && (rule.every > 0 || rule.probability >= 0.0))
        rule.count = 0;
    out = rule;
    return true;
}

std::string FaultRule::Describe() const {
    std::string text(KindText(kind));
    text += ":on=";
    text += EventText(on);
    text += ",at=" + std::to_string(at) + ",count=" + std::to_string(count);
    if (every > 0)
        text += ",every=" + std::to_string(every);
    if (probability >= 0.0) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", probability);
        text += ",prob=";
        text += buf;
    }
    if (kind == FaultKind::Resend) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%02X", code);
        text += ",code=";
        text += buf;
    }
    return text;
}

const char* FaultRule::Syntax() {
    return "KIND[:key=value,...]\n"
           "  kinds: resend (code=81|82|85|88; also resend81 .. resend88), lostack\n"
           "         (which=arrived|programmed|both), recnum, debug (words=N), reset, fail,\n"
           "         badtype, badcmd, garbage (n=BYTES), silence (for=MS, 0 = for good),\n"
           "         disconnect, drop (a record acknowledged but not stored)\n"
           "  on=record|erase|handshake|sentence|reply: the moments the fault counts\n"
           "         (defaults: badtype handshake, badcmd erase, garbage reply, others record;\n"
           "         resend and fail also on=erase; silence and disconnect on any but reply)\n"
           "  at=N   strike first at the N-th moment (default 1)\n"
           "  every=P  then at every P-th moment; prob=X  at each moment with probability X\n"
           "  count=K  at most K strikes (0 = no limit; default 1, or no limit with every/prob)\n";
}

}  // namespace sim
