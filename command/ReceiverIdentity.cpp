#include "command/ReceiverIdentity.h"

#include "command/UnitTable.h"

void ReceiverIdentity::UseUnitType6() {
    for (const UnitTableRow& row : UnitTable) {
        if (row.unitType != 6)
            continue;
        family = row.family;
        unitType = row.unitType;
        unitName = std::string(row.displayName);
        askMapHeader = row.askMapHeader;
        askPoiHeader = row.askPoiHeader;
        productCode = std::string(row.productCode);
        break;
    }
}
