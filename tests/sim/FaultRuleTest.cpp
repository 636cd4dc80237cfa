#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/FaultPlan.h"
#include "sim/FaultRule.h"

namespace {

using sim::FaultEvent;
using sim::FaultKind;
using sim::FaultPlan;
using sim::FaultRule;

FaultRule Parsed(const char* text) {
    FaultRule rule;
    std::string error;
    EXPECT_TRUE(FaultRule::Parse(text, rule, error)) << text << ": " << error;
    return rule;
}

// The moments (1-based) at which the fault strikes among the first n.
std::vector<int> Strikes(const char* text, int n, std::uint64_t seed = 1) {
    FaultPlan plan({Parsed(text)}, seed);
    std::vector<int> hits;
    for (int i = 1; i <= n; ++i) {
        if (plan.Roll(FaultEvent::Record).Any())
            hits.push_back(i);
    }
    return hits;
}

// The loader fault tests show what each kind does; here the defaults and the refusals.
TEST(FaultRule, DefaultsAndRefusals) {
    EXPECT_EQ(Parsed("badtype").on, FaultEvent::Handshake);
    EXPECT_EQ(Parsed("badcmd").on, FaultEvent::Erase);
    EXPECT_EQ(Parsed("garbage").on, FaultEvent::Reply);
    EXPECT_EQ(Parsed("resend:code=0x88").code, 0x88);
    for (const char* text : {"nonsense", "resend:code=83", "debug:on=handshake", "fail:at=0",
                             "garbage:n=0", "silence:for", "recnum:prob=1.5", "reset:words=2",
                             "disconnect:on=reply", "lostack:which=neither"}) {
        FaultRule ignored;
        std::string error;
        EXPECT_FALSE(FaultRule::Parse(text, ignored, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(FaultRule, TriggersByCountPeriodAndProbability) {
    EXPECT_EQ(Strikes("reset", 5), (std::vector<int>{1}));
    EXPECT_EQ(Strikes("reset:at=3,count=2", 8), (std::vector<int>{3, 4}));
    EXPECT_EQ(Strikes("reset:at=2,every=3", 10), (std::vector<int>{2, 5, 8}));
    EXPECT_EQ(Strikes("reset:every=4,count=2", 20), (std::vector<int>{1, 5}));
    EXPECT_EQ(Strikes("reset:at=4,count=0", 6), (std::vector<int>{4, 5, 6}));

    const std::vector<int> a = Strikes("reset:prob=0.3", 200, 7);
    EXPECT_EQ(a, Strikes("reset:prob=0.3", 200, 7));  // the same seed, the same faults
    EXPECT_NE(a, Strikes("reset:prob=0.3", 200, 8));
    EXPECT_GT(a.size(), 30u);
    EXPECT_LT(a.size(), 90u);
    EXPECT_EQ(Strikes("reset:prob=0.3,count=2", 200, 7).size(), 2u);
    EXPECT_TRUE(Strikes("reset:prob=0", 100).empty());
}

TEST(FaultRule, EachFaultCountsOnlyItsOwnEvent) {
    FaultPlan plan({Parsed("badtype:at=2"), Parsed("resend:at=2")}, 1);
    for (FaultEvent event : {FaultEvent::Handshake, FaultEvent::Record, FaultEvent::Sentence})
        EXPECT_FALSE(plan.Roll(event).Any());
    EXPECT_TRUE(plan.Roll(FaultEvent::Record).Has(FaultKind::Resend));
    EXPECT_TRUE(plan.Roll(FaultEvent::Handshake).Has(FaultKind::BadType));
    EXPECT_EQ(plan.Strikes(), 2u);
}

}  // namespace
