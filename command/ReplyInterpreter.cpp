#include "command/ReplyInterpreter.h"

#include <algorithm>

#include "command/DecimalText.h"
#include "command/UnitTable.h"

namespace {

constexpr std::string_view kVersionTag = "$PXRVVER,";
constexpr std::string_view kPoiTag = "$PXRVPOI,";
constexpr std::string_view kMapTag = "$PXRVMPH,";
constexpr std::string_view kMemoryTag = "$PXRVMEM,";

// Positions in a version reply, counting the "$" as 0.
constexpr std::size_t kCodeAt = 9;
constexpr std::size_t kCodeEnd = 12;  // must hold ","
constexpr std::size_t kVersionAt = 13;
constexpr std::size_t kModelTextAt = 22;
constexpr std::string_view kDualModelText = "GPS 7K1/7K2";

// The header text of a header reply: what follows the tag, checksum included, up to a
// zero byte, cut to the header size.
std::string HeaderText(std::string_view line) {
    std::string_view text = line.substr(kPoiTag.size());
    text = text.substr(0, text.find('\0'));
    return std::string(text.substr(0, ReceiverIdentity::kHeaderLength));
}

// The body of a valid reply: without its "*hh" checksum.
std::string_view Body(std::string_view line) {
    return line.substr(0, line.size() - 3);
}

}  // namespace

ReplyInterpreter::Result ReplyInterpreter::Interpret(const ReceiverIdentity& known,
                                                     std::string_view line) {
    Result result;
    result.identity = known;
    ReceiverIdentity& unit = result.identity;
    if (line.starts_with(kVersionTag)) {
        Identify(unit, line);
        result.recognised = true;
    } else if (line.starts_with(kPoiTag)) {
        unit.poiHeader = HeaderText(line);
        result.recognised = true;
    } else if (line.starts_with(kMapTag)) {
        unit.mapHeader = HeaderText(line);
        result.recognised = true;
    } else if (line.starts_with(kMemoryTag)) {
        // Never ends a scan by itself: it may come before the version reply.
        result.modelChanged = ReadMemory(unit, line);
    }
    return result;
}

void ReplyInterpreter::Identify(ReceiverIdentity& unit, std::string_view line) {
    // A receiver answered; it stays unsupported unless a table row matches.
    unit.family = 1;
    if (line.size() <= kCodeEnd || line[kCodeEnd] != ',')
        return;
    std::string_view code = line.substr(kCodeAt, kCodeEnd - kCodeAt);

    for (const UnitTableRow& row : UnitTable) {
        if (row.productCode != code)
            continue;
        if (row.family == 3) {
            // This code is shared with receivers we cannot load: the model text decides.
            if (line.substr(std::min(line.size(), kModelTextAt), kDualModelText.size()) !=
                kDualModelText) {
                continue;
            }
            unit.family = 2;
        } else {
            unit.family = row.family;
        }
        unit.unitType = row.unitType;
        unit.unitName = std::string(row.displayName);
        FirmwareVersion version = ParseVersion(Body(line).substr(kVersionAt));
        unit.fwMajor = version.major;
        unit.fwMinor = version.minor;
        unit.askMapHeader = row.askMapHeader;
        unit.askPoiHeader = row.askPoiHeader;
        unit.productCode = std::string(row.productCode);
        return;
    }
}

ReplyInterpreter::FirmwareVersion ReplyInterpreter::ParseVersion(std::string_view field) {
    FirmwareVersion version;
    std::size_t at = 0;
    while (at < field.size() && !DecimalText::IsDigit(field[at]))
        ++at;
    version.major = DecimalText::ReadDigits(field, at);
    while (at < field.size() && (field[at] == ' ' || field[at] == '.'))
        ++at;
    if (at < field.size() && DecimalText::IsDigit(field[at]))
        version.minor = DecimalText::ReadDigits(field, at);
    return version;
}

bool ReplyInterpreter::ReadMemory(ReceiverIdentity& unit, std::string_view line) {
    std::string_view fields = line.substr(kMemoryTag.size());
    std::size_t at = 0;
    for (std::size_t i = 0; i < unit.memInfo.size(); ++i) {
        if (i > 0) {
            if (at >= fields.size() || fields[at] != ',')
                break;
            ++at;
        }
        int value = 0;
        if (!DecimalText::ReadSigned(fields, at, value))
            break;
        unit.memInfo[i] = value;
    }
    // Models that share a product code differ in memory: no map memory is the plain one.
    if (unit.unitType != 7 || unit.memInfo[1] != 0)
        return false;
    unit.UseUnitType6();
    return true;
}
