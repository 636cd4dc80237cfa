#include "COMLINK/LibraryReport.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/MessageBox.h"
#include "ui/Runtime.h"

void LibraryReport(const char* module, int line) {
    std::string text = "Pure Virtual function called @" + std::string(module) + "," +
                       std::to_string(line) + "\nUnable to continue execution";
    if (ui::Runtime::Get().HasBackend()) {
        ui::MessageBox(nullptr, text, "Library Error", ui::MB_OK);
    } else {
        // No window system yet (a tool, or start-up): the text still has to reach someone.
        std::fprintf(stderr, "Library Error: %s\n", text.c_str());
    }
    std::exit(1);
}
