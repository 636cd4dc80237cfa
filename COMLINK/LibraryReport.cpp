#include "COMLINK/LibraryReport.h"

#include <cstdio>
#include <cstdlib>

namespace {

LibraryReportSink reportSink = nullptr;

}  // namespace

void SetLibraryReportSink(LibraryReportSink sink) {
    reportSink = sink;
}

void LibraryReport(const char* module, int line) {
    std::string text = "Pure Virtual function called @" + std::string(module) + "," +
                       std::to_string(line) + "\nUnable to continue execution";
    if (reportSink != nullptr)
        reportSink(text);
    else
        std::fprintf(stderr, "Library Error: %s\n", text.c_str());
    std::exit(1);
}
