#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/receiver-sim/SimCommandLine.h"

namespace {

sim::ReceiverOptions Parsed(const std::vector<std::string>& args) {
    SimCommandLine line;
    std::string error;
    EXPECT_TRUE(line.Parse(args, error)) << error;
    return line.options;
}

TEST(SimCommandLine, OverridesApplyWhateverTheOrder) {
    const sim::ReceiverOptions options =
        Parsed({"--firmware", "3.10", "--model-text=GPS 7K9", "--loader-mode", "record", "--model",
                "GPS7K1/7K2", "--memory", "1,2,3", "--map-header", "a,b,LAKES,1.2,7",
                "--after-load=stay", "--fault", "resend:every=3", "--fault", "silence:at=2"});
    EXPECT_EQ(options.productCode, "024");
    EXPECT_EQ(options.firmware, "3.10");
    EXPECT_EQ(options.modelText, "GPS 7K9");
    EXPECT_EQ(options.memory, "1,2,3");
    EXPECT_EQ(options.mapHeader, "a,b,LAKES,1.2,7");
    EXPECT_EQ(options.loaderMode, sim::LoaderMode::Record);
    EXPECT_EQ(options.afterLoad, sim::AfterLoad::Stay);
    EXPECT_EQ(options.faults.size(), 2u);
    EXPECT_EQ(options.timing.chatterMs, 500u);
    EXPECT_EQ(Parsed({"--product-code", "023"}).family, 3);
    EXPECT_EQ(Parsed({"--product-code", "099"}).family, 0);  // unknown, but taken

    // Database headers: a region, 48 characters of header, or the reply as given.
    EXPECT_EQ(Parsed({"--poi-header", "AMERICAS"}).poiHeader.substr(3),
              sim::ReceiverOptions::DatabaseHeader("AMERICAS"));
    const std::string custom(48, 'x');
    EXPECT_EQ(Parsed({"--poi-header", custom}).poiHeader.substr(3), custom);
    EXPECT_EQ(Parsed({"--poi-header", "as,given"}).poiHeader, "as,given");
    EXPECT_EQ(static_cast<unsigned char>(Parsed({"--no-database"}).poiHeader[1]), 0xFF);
}

TEST(SimCommandLine, RefusesWhatItCannotUse) {
    const std::vector<std::vector<std::string>> refused = {
        {"--model", "Nope"},
        {"--model", "Pathwick", "--product-code", "037"},
        {"--product-code", "37"},
        {"--speed", "fast"},
        {"--speed"},
        {"--start", "middle"},
        {"--pace=yes"},
        {"--fault", "resend:code=90"},
        {"--sector-size", "5000"},
        {"--no-database", "--poi-header", "AMERICAS"},
        {"--frobnicate"}};
    for (const auto& args : refused) {
        SimCommandLine line;
        std::string error;
        EXPECT_FALSE(line.Parse(args, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(SimCommandLine, HelpDocumentsEveryOption) {
    const std::string help = SimCommandLine::HelpText();
    for (const char* option :
         {"--model",      "--product-code", "--model-text", "--firmware", "--memory",
          "--poi-header", "--no-database",  "--map-header", "--speed",    "--loader-speed",
          "--start",      "--loader-mode",  "--after-load", "--pace",     "--chatter",
          "--fault RULE", "--seed",         "--flash-out",  "--verbose",  "--help"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

}  // namespace
