#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ComPortNames.h"

namespace {

using platform::ComPortNames;

TEST(ComPortNames, DefaultPutsUsbAdaptersFirstInNumberOrder) {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("comnames-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (const char* name : {"ttyS1", "ttyS0", "ttyUSB10", "ttyUSB2", "ttyACM0", "ttyUSB0",
                             "ttyUSBx", "ttyS", "tty0", "ttyAMA0"}) {
        std::ofstream(dir / name).put('\n');
    }
    std::vector<std::string> expected;
    for (const char* name : {"ttyUSB0", "ttyUSB2", "ttyUSB10", "ttyACM0", "ttyS0", "ttyS1"})
        expected.push_back((dir / name).string());
    EXPECT_EQ(ComPortNames::DefaultDevices(dir.string()), expected);
    std::filesystem::remove_all(dir);
    EXPECT_TRUE(ComPortNames::DefaultDevices(dir.string()).empty());
}

}  // namespace
