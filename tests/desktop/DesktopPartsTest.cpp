// The desktop backend's parts that need no display: layout arithmetic and labels (the id map
// is met by every menu command of the front-end conformance suite).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/desktop/DialogLayout.h"
#include "ui/desktop/LabelText.h"

TEST(DialogLayout, UnitsFollowTheFontUntilAContentNeedsMore) {
    // An 8x16 font: a horizontal unit is 2 px, a vertical one 2 px.
    ui::DialogLayout layout(8, 16);
    ui::Rect plain = layout.ToPixels({10, 20, 50, 14});
    EXPECT_EQ(std::vector<int>({plain.x, plain.y, plain.width, plain.height}),
              std::vector<int>({20, 40, 100, 28}));

    // A button of 50x14 units whose label needs 120x34 px widens and heightens the whole
    // dialog, so neighbours keep their gaps.
    layout.Fit({10, 20, 50, 14}, {120, 34});
    EXPECT_DOUBLE_EQ(layout.ScaleX(), 2.4);
    EXPECT_NEAR(layout.ScaleY(), 34.0 / 14, 1e-9);
    ui::Rect left = layout.ToPixels({10, 20, 50, 14});
    ui::Rect right = layout.ToPixels({60, 20, 50, 14});
    EXPECT_EQ(left.x + left.width, right.x);  // touching boxes still touch, never overlap
    EXPECT_GE(left.width, 120);
    EXPECT_GE(left.height, 34);

    // Smaller needs never shrink it; zero asks nothing; growth is bounded.
    layout.Fit({0, 0, 50, 14}, {10, 0});
    EXPECT_DOUBLE_EQ(layout.ScaleX(), 2.4);
    layout.Fit({0, 0, 10, 10}, {1000, 1000});
    EXPECT_DOUBLE_EQ(layout.ScaleX(), 2.0 * ui::DialogLayout::kMaxGrowth);
    EXPECT_DOUBLE_EQ(layout.ScaleY(), 2.0 * ui::DialogLayout::kMaxGrowth);
    ui::PixelSize client = layout.ClientSize({0, 0, 100, 50});
    EXPECT_EQ(client.width, 320);
    EXPECT_EQ(client.height, 160);
}

TEST(LabelText, MnemonicsBecomeUnderlinesAndMarkupIsEscaped) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"&Port", "<u>P</u>ort"},
        {"Save && exit", "Save &amp; exit"},
        {"a < b > \"c\" 'd'", "a &lt; b &gt; &quot;c&quot; &apos;d&apos;"},
        {"<u>not markup</u>", "&lt;u&gt;not markup&lt;/u&gt;"},
        {"ends with &", "ends with "},
        {"&\xC3\x9C"
         "ber",
         "<u>\xC3\x9C</u>ber"},  // a two-byte letter stays whole
        {"&&&x", "&amp;<u>x</u>"},
    };
    for (const auto& [text, markup] : cases)
        EXPECT_EQ(ui::MnemonicToMarkup(text), markup) << text;

    EXPECT_EQ(ui::MnemonicLetter("&Upload"), 'u');
    EXPECT_EQ(ui::MnemonicLetter("E&xit"), 'x');
    EXPECT_EQ(ui::MnemonicLetter("A && B"), 0);
    EXPECT_EQ(ui::WithoutMnemonics("&Save && E&xit"), "Save & Exit");
}

TEST(LabelText, WrapBreaksAtSpacesWithinTheWidth) {
    auto measure = [](const std::string& line) { return static_cast<int>(line.size()) * 10; };
    EXPECT_EQ(ui::WrapLabel("If unit comes out of mode", 100, measure),
              "If unit\ncomes out\nof mode");
    // Mnemonic markers take no room; a word longer than a line stays whole; breaks stay.
    EXPECT_EQ(ui::WrapLabel("&Abcdefghij k", 100, measure), "&Abcdefghij\nk");
    EXPECT_EQ(ui::WrapLabel("averyveryverylongword x", 50, measure), "averyveryverylongword\nx");
    EXPECT_EQ(ui::WrapLabel("one\ntwo three", 1000, measure), "one\ntwo three");
    EXPECT_EQ(ui::WrapLabel("", 100, measure), "");
}

TEST(LabelText, FiltersBecomeToolkitWildcards) {
    EXPECT_EQ(ui::WildcardFromFilter("hex Files (*.hex)|*.hex|Binary Files (*.bin;*.img)|"
                                     "*.bin;*.img|All Files (*.*)|*.*||"),
              "hex Files (*.hex)|*.hex|Binary Files (*.bin;*.img)|*.bin;*.img|All Files (*.*)|*.*");
    EXPECT_EQ(ui::WildcardFromFilter("||"), "");
}
