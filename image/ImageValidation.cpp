// ImageReader::Validate: does the image look like what the driver is about to load?

#include <array>
#include <string>
#include <string_view>

#include "image/ImageReader.h"
#include "image/ValidationContext.h"
#include "ui/Application.h"
#include "ui/MessageBoxFlags.h"

namespace {

constexpr char kInoperable[] = "THIS COULD RENDER THE UNIT INOPERABLE!";

// The version line of program code is the S3 line at 2D004E00. Its data bytes begin
// with the receiver's product code; the fifth and sixth are the major and minor version.
bool IsVersionLine(std::string_view line) {
    return line.size() >= 12 && line.substr(0, 2) == "S3" && line.substr(4, 8) == "2D004E00";
}

// Compared on the text: each of the first three data bytes must read "3" followed by the
// product code's character, so only a product code of decimal digits can match.
bool CarriesProductCode(std::string_view line, std::string_view productCode) {
    if (productCode.size() < 3)
        return false;
    for (std::size_t i = 0; i < 3; ++i) {
        std::size_t at = 12 + 2 * i;
        if (line.size() < at + 2 || line[at] != '3' || line[at + 1] != productCode[i]) {
            return false;
        }
    }
    return true;
}

std::uint32_t DataByte(std::string_view line, std::size_t index) {
    std::size_t at = 12 + 2 * index;
    if (line.size() < at + 2)
        return 0;
    int value = SRecordLine::HexPair(line.data() + at);
    return value < 0 ? 0 : static_cast<std::uint32_t>(value);
}

}  // namespace

int ImageReader::Validate(int kind, bool quiet, const ValidationContext& context) {
    if (!valid)
        return 0;
    switch (kind) {
        case 0: {
            // An S-record image has no file offset 1024; reading its first record here
            // would also take it away from the engine.
            if (isSRecord)
                return quiet ? valid : Warn(kind, context);
            std::array<std::uint8_t, 4> bytes{};
            std::uint32_t offset = 1024;
            int count = ReadRecord(bytes, bytes.size(), offset);
            if (quiet)
                return valid;
            bool passes = count >= 3 && bytes[0] == '0' && bytes[1] == '2' && bytes[2] == '4';
            return passes ? 1 : Warn(kind, context);
        }
        case 1: {
            if (isSRecord)
                return quiet ? valid : Warn(kind, context);
            std::array<std::uint8_t, 128> bytes{};
            std::uint32_t offset = 220;
            int count = ReadRecord(bytes, bytes.size(), offset);
            if (quiet)
                return valid;
            for (int i = 0; i < count; ++i) {
                if (bytes[static_cast<std::size_t>(i)] >= 0x80)
                    return Warn(kind, context);
            }
            return 1;
        }
        case 2:
            if (isSRecord)
                return ValidateCodeSRecord(quiet, context);
            // Binary program code carries no version line.
            return quiet ? valid : Warn(kind, context);
        case 3:
            return !isSRecord || quiet ? valid : Warn(kind, context);
        default:
            return valid;
    }
}

int ImageReader::ValidateCodeSRecord(bool quiet, const ValidationContext& context) {
    Rewind();
    bool passes = false;
    versionFound = false;
    versionMajor = 0;
    versionMinor = 0;
    while (lines_.Next()) {
        std::string_view line = lines_.Line();
        if (!IsVersionLine(line))
            continue;
        versionFound = true;
        passes = CarriesProductCode(line, context.productCode);
        versionMajor = DataByte(line, 4);
        versionMinor = DataByte(line, 5);
        break;
    }
    // The engine must get the image from its first data line.
    Rewind();
    if (quiet || passes)
        return 1;
    return Warn(2, context);
}

int ImageReader::Warn(int kind, const ValidationContext& context) {
    const char* content = kind == 1 ? "POIs" : kind == 3 ? "map data" : "code";
    std::string message = fileName + " does not appear to contain " + content;
    // Before a receiver is identified there is no name to give.
    if (!context.unitName.empty())
        message += " for " + context.unitName;
    message += ".";
    const int answer = context.warn ? context.warn(message, kInoperable) : ui::IDOK;
    if (answer == ui::IDCANCEL || answer == ui::IDNO)
        return 0;
    if (kind == 2 && isSRecord) {
        if (context.chosenByHand)
            return 1;
        // Nobody chose this image by hand: an automatic upload stops here.
        ui::PostQuitMessage(0);
        return 0;
    }
    return valid;
}
