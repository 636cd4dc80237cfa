#include "command/MapHeaderRule.h"

#include "command/DecimalText.h"

namespace {

constexpr unsigned long kSmallMapLimit = 2500000;

}  // namespace

bool ApplyMapHeaderRule(ReceiverIdentity& unit) {
    if (unit.unitType != 7 || unit.mapHeader.empty())
        return false;
    const std::string& header = unit.mapHeader;
    std::size_t at = 0;
    for (int commas = 0; commas < 4; ++commas) {
        at = header.find(',', at);
        if (at == std::string::npos)
            return false;
        ++at;
    }
    while (at < header.size() && header[at] == ' ')
        ++at;
    if (at >= header.size() || !DecimalText::IsDigit(header[at]) ||
        DecimalText::ReadUnsigned(header, at) >= kSmallMapLimit)
        return false;
    unit.UseUnitType6();
    return true;
}
