// Reply lines of the command channel and the identification they lead to.
#include <algorithm>
#include <string_view>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "command/CommandSentence.h"
#include "command/ReplyInterpreter.h"
#include "command/UnitTable.h"
#include "ui/FrameWindow.h"

bool CGpsUnit::ParseLine() {
    std::size_t length =
        static_cast<std::size_t>(std::clamp(lineLen, 0, static_cast<int>(lineBuf.size()) - 1));
    lineBuf[length] = '\0';
    lineLen = 0;
    std::string_view line(lineBuf.data(), length);
    if (!CommandSentence::IsValidReply(line))
        return false;
    return ReplyInterpreter::Interpret(*this, line);
}

void CGpsUnit::UseUnitType6() {
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
    if (theApp.mainWindow != nullptr)
        theApp.mainWindow->SetPaneText(0, unitName);
}
