#pragma once

#include <string>

// The library's one fatal report: an operation of the abstract port was called on a port
// type that does not provide it. The text names the module and line; it goes to the sink
// the program connected (a "Library Error" box), else to standard error, and the process
// ends with status 1 once the sink returns.
[[noreturn]] void LibraryReport(const char* module, int line);

// Where the report goes; nullptr: a line on standard error.
using LibraryReportSink = void (*)(const std::string& text);
void SetLibraryReportSink(LibraryReportSink sink);
