#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/receiver-sim/SimCommandLine.h"

namespace {

SimCommandLine Parsed(const std::vector<std::string>& args) {
    SimCommandLine line;
    std::string error;
    EXPECT_TRUE(line.Parse(args, error)) << error;
    return line;
}

std::string Refused(const std::vector<std::string>& args) {
    SimCommandLine line;
    std::string error;
    EXPECT_FALSE(line.Parse(args, error));
    return error;
}

TEST(SimCommandLine, IdentityOverridesApplyWhateverTheOrder) {
    const SimCommandLine line =
        Parsed({"--firmware", "3.10", "--model-text=GPS 7K9", "--model", "GPS7K1/7K2", "--memory",
                "1,2,3", "--map-header", "a,b,LAKES,1.2,7"});
    EXPECT_EQ(line.options.productCode, "024");
    EXPECT_EQ(line.options.firmware, "3.10");
    EXPECT_EQ(line.options.modelText, "GPS 7K9");
    EXPECT_EQ(line.options.memory, "1,2,3");
    EXPECT_EQ(line.options.mapHeader, "a,b,LAKES,1.2,7");
    EXPECT_EQ(line.options.timing.chatterMs, 500u);

    EXPECT_EQ(Parsed({"--product-code", "023"}).options.family, 3);
    const SimCommandLine unknown = Parsed({"--product-code", "099"});
    EXPECT_EQ(unknown.options.productCode, "099");
    EXPECT_EQ(unknown.options.family, 0);
}

TEST(SimCommandLine, DatabaseHeaderForms) {
    const std::string region = Parsed({"--poi-header", "AMERICAS"}).options.poiHeader;
    EXPECT_EQ(region.substr(3), sim::ReceiverOptions::DatabaseHeader("AMERICAS"));
    const std::string custom(48, 'x');
    EXPECT_EQ(Parsed({"--poi-header", custom}).options.poiHeader.substr(3), custom);
    EXPECT_EQ(Parsed({"--poi-header", "as,given"}).options.poiHeader, "as,given");
    EXPECT_EQ(static_cast<unsigned char>(Parsed({"--no-database"}).options.poiHeader[1]), 0xFF);
}

TEST(SimCommandLine, LineLoaderAndFaultOptions) {
    const SimCommandLine line = Parsed({"--speed",
                                        "9600",
                                        "--loader-speed",
                                        "19200",
                                        "--start",
                                        "loader",
                                        "--loader-mode",
                                        "record",
                                        "--pace",
                                        "--fault",
                                        "resend:every=3",
                                        "--fault",
                                        "silence:at=2",
                                        "--seed",
                                        "42",
                                        "--flash-out",
                                        "f.s3",
                                        "--verbose",
                                        "--after-load=stay",
                                        "--chatter",
                                        "0"});
    EXPECT_EQ(line.options.sentenceSpeed, 9600u);
    EXPECT_EQ(line.options.loaderSpeed, 19200u);
    EXPECT_TRUE(line.options.startInLoader);
    EXPECT_EQ(line.options.loaderMode, sim::LoaderMode::Record);
    EXPECT_TRUE(line.options.timing.pace);
    EXPECT_EQ(line.options.faults.size(), 2u);
    EXPECT_EQ(line.options.seed, 42u);
    EXPECT_EQ(line.flashOut, "f.s3");
    EXPECT_TRUE(line.verbose);
    EXPECT_EQ(line.options.afterLoad, sim::AfterLoad::Stay);
    EXPECT_EQ(line.options.timing.chatterMs, 0u);
}

TEST(SimCommandLine, RefusesWhatItCannotUse) {
    EXPECT_NE(Refused({"--model", "Nope"}).find("Nope"), std::string::npos);
    Refused({"--model", "Pathwick", "--product-code", "037"});
    Refused({"--product-code", "37"});
    Refused({"--speed", "fast"});
    Refused({"--speed"});
    Refused({"--start", "middle"});
    Refused({"--pace=yes"});
    Refused({"--fault", "resend:code=90"});
    Refused({"--no-database", "--poi-header", "AMERICAS"});
    Refused({"--sector-size", "5000"});
    Refused({"--frobnicate"});
}

}  // namespace
