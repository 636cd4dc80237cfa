// The desktop backend's labels, which need no display (the layout and the id map are met by
// every template and menu command of the front-end conformance suite).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/desktop/LabelText.h"

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
