#include "app/LibraryErrorBox.h"

#include <cstdio>

#include "ui/MessageBox.h"
#include "ui/Runtime.h"

void ShowLibraryError(const std::string& text) {
    if (ui::Runtime::Get().HasBackend())
        ui::MessageBox(nullptr, text, "Library Error", ui::MB_OK);
    else
        std::fprintf(stderr, "Library Error: %s\n", text.c_str());
}
