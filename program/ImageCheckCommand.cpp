#include "program/ImageCheckCommand.h"

#include <cstdio>
#include <string>
#include <vector>

#include "command/UnitTable.h"
#include "dialogs/CExpertSetupDlg.h"
#include "image/ImageReader.h"
#include "image/ValidationContext.h"
#include "platform/FileStatus.h"
#include "res/ExpertSetupTemplate.h"
#include "ui/MessageBoxFlags.h"
#include "ui/terminal/ChoiceName.h"

namespace {

// Validation kinds of program code: family 2 loads a binary image, the others S-records.
constexpr int kBinaryCodeKind = 0;
constexpr int kSRecordCodeKind = 2;
constexpr int kBinaryCodeFamily = 2;

void PrintLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string ProductCodeOf(int unitType) {
    for (const UnitTableRow& row : UnitTable) {
        if (row.unitType == unitType && row.family != 3)
            return std::string(row.productCode);
    }
    return {};
}

}  // namespace

int ImageCheckCommand::Run(const OneShotOptions& options) {
    const std::string& path = options.codeFile;
    int wanted = -1;
    if (!options.model.empty()) {
        for (std::size_t i = 0; i < kExpertModelNames.size() && wanted < 0; ++i) {
            if (ui::ChoiceName::Matches(options.model, kExpertModelNames[i]))
                wanted = static_cast<int>(i);
        }
        if (wanted < 0) {
            PrintLine("--model " + options.model + ": not a model");
            return kUsage;
        }
    }
    ImageReader reader;
    platform::FileStatus status = platform::StatusOf(path);
    if (!status.IsRegular()) {
        PrintLine("Image refused: " + path + ": no such file, or not a regular file");
        return kRefused;
    }
    if (!reader.Open(path)) {
        PrintLine("Image refused: " +
                  (reader.problem.empty() ? path + ": cannot be read or empty" : reader.problem));
        return kRefused;
    }
    if (reader.FileLength() == 0) {
        PrintLine("Image refused: " + path + ": empty");
        return kRefused;
    }

    std::vector<std::string> fits;
    std::string warning;
    bool wantedFits = false;
    for (std::size_t i = 0; i < kExpertModelNames.size(); ++i) {
        const CExpertSetupDlg::Model& model = CExpertSetupDlg::kModels[i];
        const std::string name(kExpertModelNames[i]);
        ValidationContext context{ProductCodeOf(model.unitType), name, true,
                                  [&warning](const std::string& upper, const std::string&) {
                                      warning = upper;
                                      return ui::IDCANCEL;
                                  }};
        const bool binaryFamily = model.family == kBinaryCodeFamily;
        const int kind = binaryFamily ? kBinaryCodeKind : kSRecordCodeKind;
        // Binary code is family 2's; an S-record image is every other family's.
        bool fit =
            binaryFamily != (reader.isSRecord != 0) && reader.Validate(kind, false, context) == 1;
        if (fit)
            fits.push_back(name);
        if (fit && static_cast<int>(i) == wanted)
            wantedFits = true;
    }

    std::string line = path + ": " + (reader.isSRecord ? "S-record" : "binary") + " image, " +
                       std::to_string(reader.FileLength()) + " bytes";
    if (reader.versionFound) {
        char version[32];
        std::snprintf(version, sizeof version, ", version %u.%02u", reader.versionMajor,
                      reader.versionMinor);
        line += version;
    }
    PrintLine(line);
    std::string names;
    for (const std::string& name : fits)
        names += (names.empty() ? "" : ", ") + name;
    if (wanted >= 0 && !wantedFits) {
        PrintLine("Image refused for " +
                  std::string(kExpertModelNames[static_cast<std::size_t>(wanted)]) +
                  ": it does not appear to contain its code" +
                  (names.empty() ? std::string() : " (fits " + names + ")"));
        return kRefused;
    }
    if (fits.empty()) {
        PrintLine("Image refused: it fits no model" + (warning.empty() ? "" : ": " + warning));
        return kRefused;
    }
    PrintLine("Fits: " + names);
    return kFits;
}
