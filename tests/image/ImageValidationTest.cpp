#include <gtest/gtest.h>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "res/Resource.h"
#include "tests/image/ImageTestFiles.h"
#include "tests/support/ScriptedUi.h"
#include "ui/Runtime.h"

using namespace imagetest;

namespace {

constexpr char kWarning[] = "WARNING - FIRMWARE PROBLEM";
constexpr int kEnter = -1;  // the answer besides the buttons

std::string Text(const samples::Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Program code whose version line is missing: data all around 2D004E00, no line begins there.
std::string NoVersionLine() {
    return samples::ToSRecords(
        {{samples::kCodeLoadAddress + 4, samples::CodeBytes("024", 3, 16, 8000, 8)}}, Lines(24));
}

struct Case {
    std::string content;
    int kind;
    bool quiet;
    int answer;  // to the warning; 0: none may show
    int result;
    const char* what;  // the warning's "does not appear to contain" what
    const char* code = "024";
};

class ImageValidation : public ImageFiles {
  protected:
    void SetUp() override { unit.unitName = "GPS 7K2"; }

    CGpsUnit unit;
    CUploaderApp app{unit};
};

}  // namespace

TEST_F(ImageValidation, EachKindChecksItsMarkAndTheAnswerToTheWarningDecides) {
    samples::Bytes code = samples::Family2Code(4096, 1), other = code;
    other[1026] = '5';
    samples::Bytes poi = samples::PoiDatabase(2000, 2), badPoi = poi;
    poi[348] = badPoi[348] = 0xFF;  // just past the checked bytes
    badPoi[347] = 0x80;
    // The edges of 7-bit text at both ends of the checked bytes.
    samples::Bytes edgePoi = poi, firstHigh = poi;
    edgePoi[220] = edgePoi[347] = 0x7F;
    firstHigh[220] = 0x80;
    std::string codeHex = samples::CodeImageSRecord("024", 3, 16, 8000, 4);
    std::string otherHex = samples::CodeImageSRecord("025", 2, 5, 8000, 5);
    samples::SRecordFormat noHeader;
    noHeader.header = false;  // tool output without an S0 line
    std::string mapHex = samples::ToSRecords({{0, samples::RandomBytes(3000, 10)}});
    std::string mapImg = Text(samples::MapImage("LAKES", "1.2", 600, 4000, 11));
    std::vector<Case> cases = {
        {Text(code), 0, false, 0, 1, nullptr},
        {Text(other), 0, false, ui::IDCANCEL, 0, "code"},
        {Text(other), 0, false, ui::IDOK, 1, "code"},
        {Text(other), 0, true, 0, 1, nullptr},
        {"0", 0, false, ui::IDCANCEL, 0, "code"},  // too short for the mark
        {Text(poi), 1, false, 0, 1, nullptr},
        {Text(badPoi), 1, false, ui::IDCANCEL, 0, "POIs"},
        {Text(badPoi), 1, false, ui::IDOK, 1, "POIs"},  // Continue
        {Text(badPoi), 1, false, kEnter, 1, "POIs"},
        {Text(edgePoi), 1, false, 0, 1, nullptr},
        {Text(firstHigh), 1, false, ui::IDCANCEL, 0, "POIs"},
        {codeHex, 0, false, ui::IDOK, 1, "code"},  // binary checks on an S-record image
        {codeHex, 1, false, ui::IDOK, 1, "POIs"},
        {codeHex, 2, false, 0, 1, nullptr},
        {samples::CodeImageSRecord("024", 3, 16, 8000, 4, noHeader), 2, false, 0, 1, nullptr},
        {otherHex, 2, false, ui::IDCANCEL, 0, "code"},
        {otherHex, 2, true, 0, 1, nullptr},
        {NoVersionLine(), 2, false, ui::IDCANCEL, 0, "code"},
        // A product code of letters never matches: the test is on the hex text.
        {samples::CodeImageSRecord("ABC", 1, 0, 8000, 5), 2, false, ui::IDCANCEL, 0, "code", "ABC"},
        {Text(code), 2, false, ui::IDOK, 1, "code"},  // binary code has no version line
        {Text(code), 2, true, 0, 1, nullptr},
        {mapHex, 3, false, ui::IDOK, 1, "map data"},
        {mapHex, 3, true, 0, 1, nullptr},
        // S-record text that does not begin "S0" or "S3" is still text: never a binary
        // image that passes without the warning.
        {"\xEF\xBB\xBF" + mapHex, 3, false, ui::IDCANCEL, 0, "map data"},
        {"\r\n\n" + mapHex.substr(mapHex.find('\n') + 1), 3, false, ui::IDCANCEL, 0, "map data"},
        {"\n" + mapHex, 1, false, ui::IDCANCEL, 0, "POIs"},
        {"S1070200AABBCCDDE8\n" + mapHex, 0, false, ui::IDCANCEL, 0, "code"},
        {mapImg, 3, false, 0, 1, nullptr},
        {mapImg, 4, false, 0, 1, nullptr},
    };
    for (int type = 1; type <= 4; ++type)
        cases.push_back({Text(samples::CityDatabase(type, 5000, 3)), 1, false, 0, 1, nullptr});
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ", kind " << c.kind);
        ScriptedUi ui;
        if (c.answer > 0)
            ui.OnDialog(kWarning).Press(c.answer);
        if (c.answer == kEnter)
            ui.OnDialog(kWarning).Enter();
        unit.productCode = c.code;
        ImageReader reader;
        std::string path = Write("image", c.content);
        ASSERT_TRUE(reader.Open(path));
        EXPECT_EQ(reader.Validate(c.kind, c.quiet, app.ImageCheck()), c.result);
        // One warning at most (an empty text, then the warning's), with the fixed lower line.
        std::vector<std::string> upper = ui.Log().ControlHistory(kWarning, IDC_WARNING_UPPER);
        ASSERT_EQ(upper.size(), c.what ? 2u : 0u);
        if (c.what) {
            EXPECT_EQ(upper[1], path + " does not appear to contain " + c.what + " for GPS 7K2.");
            EXPECT_EQ(ui.Log().ControlHistory(kWarning, IDC_WARNING_LOWER).back(),
                      "THIS COULD RENDER THE UNIT INOPERABLE!");
        }
    }
    ImageReader missing;
    EXPECT_FALSE(missing.Open("missing.img"));
    for (int kind = 0; kind <= 4; ++kind)
        EXPECT_EQ(missing.Validate(kind, false, app.ImageCheck()), 0) << kind;
}

TEST_F(ImageValidation, ContinueOnSRecordCodeNeedsManualOrExpertMode) {
    ImageReader reader;
    ASSERT_TRUE(reader.Open(Write("other.hex", samples::CodeImageSRecord("025", 1, 1, 8000, 9))));
    ScriptedUi ui;
    ui.OnDialog(kWarning).Repeat().Press(ui::IDOK);
    EXPECT_EQ(reader.Validate(2, false, app.ImageCheck()), 1);
    app.manualMode = 0;
    unit.expertMode = 1;
    EXPECT_EQ(reader.Validate(2, false, app.ImageCheck()), 1);
    EXPECT_FALSE(ui::Runtime::Get().QuitPosted());
    // An automatic upload: Continue ends the program.
    unit.expertMode = 0;
    EXPECT_EQ(reader.Validate(2, false, app.ImageCheck()), 0);
    EXPECT_TRUE(ui::Runtime::Get().QuitPosted());
    EXPECT_EQ(ui::Runtime::Get().QuitCode(), 0);
}
