#include "command/MapHeaderRule.h"

#include "app/CGpsUnit.h"
#include "command/DecimalText.h"

namespace {

constexpr unsigned long kSmallMapLimit = 2500000;

}  // namespace

void ApplyMapHeaderRule(CGpsUnit& unit) {
    if (unit.unitType != 7 || unit.mapHeader.empty())
        return;
    const std::string& header = unit.mapHeader;
    std::size_t at = 0;
    for (int commas = 0; commas < 4; ++commas) {
        at = header.find(',', at);
        if (at == std::string::npos)
            return;
        ++at;
    }
    while (at < header.size() && header[at] == ' ')
        ++at;
    if (at >= header.size() || !DecimalText::IsDigit(header[at]))
        return;
    if (DecimalText::ReadUnsigned(header, at) < kSmallMapLimit)
        unit.UseUnitType6();
}
