#pragma once

#include <optional>
#include <string>

#include "loader/LoaderState.h"

// The status text the upload dialogs show for a flash loader state; none for the
// states that leave the text as it was (the four bytes after a rec number).
std::optional<std::string> LoaderStatusText(LoaderState state, int sectorsErased);
