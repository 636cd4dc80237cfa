#pragma once

// The library's one fatal report: an operation of the abstract port was called on a port
// type that does not provide it. Shows the module and line in a "Library Error" box and
// ends the process with status 1 once the box is dismissed.
[[noreturn]] void LibraryReport(const char* module, int line);
