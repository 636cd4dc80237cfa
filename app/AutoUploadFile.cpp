#include "app/AutoUploadFile.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "app/SettingsText.h"
#include "command/UnitTable.h"

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// One line without its line end; a carriage return before it counts as part of the end.
bool ReadLine(std::istringstream& in, std::string& line) {
    if (!std::getline(in, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

}  // namespace

AutoUploadFile::Section AutoUploadFile::ReadSection(const char* path) {
    Section section;
    std::string text;
    if (SettingsText::Read(path, text, section.refusal) != SettingsText::Result::Read)
        return section;
    std::istringstream in(text);

    std::string line;
    while (ReadLine(in, line)) {
        std::size_t close = line.find(']');
        if (line.empty() || line[0] != '[' || close == std::string::npos)
            continue;
        std::string name = Upper(line.substr(1, close - 1));
        for (const UnitTableRow& row : UnitTable) {
            if (name != Upper(std::string(row.displayName)))
                continue;
            for (std::string& next : section.lines) {
                if (!ReadLine(in, next))
                    next.clear();
            }
            section.unitType = row.unitType;
            return section;
        }
    }
    return section;
}

std::string AutoUploadFile::PathAfter(const std::string& line, const char* prefix) {
    std::string start(prefix);
    if (line.compare(0, start.size(), start) != 0)
        return {};
    return line.substr(start.size());
}
