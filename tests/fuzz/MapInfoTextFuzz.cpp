// The map-information search over a file of any content, and the field and value
// lookups over any text: no fault, and results stay within what the text holds.
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/MapInfoText.h"
#include "tests/fuzz/FuzzWorkDir.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzwork::WriteFile("map.img", data, size);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const auto section = MapInfoText::ReadSection("map.img");
    if (section.has_value() != (bytes.find(MapInfoText::kMarker) != std::string_view::npos))
        std::abort();
    if (section) {
        if (section->size() >= MapInfoText::kWindowBytes ||
            section->find('\0') != std::string::npos)
            std::abort();
        for (std::string_view key : {"MAP_NAME=", "VERSION="}) {
            if (const auto value = MapInfoText::Value(*section, key);
                value &&
                (value->find('\r') != std::string::npos || value->size() > section->size()))
                std::abort();
        }
    }
    for (std::size_t index = 0; index < 8; ++index) {
        if (MapInfoText::HeaderField(bytes, index).size() > size)
            std::abort();
    }
    return 0;
}
