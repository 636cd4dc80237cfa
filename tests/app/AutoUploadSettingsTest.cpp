// "orvane.ini": which section matches and what an automatic upload is given.
#include <gtest/gtest.h>

#include <string>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "tests/support/TempWorkDir.h"

class AutoUploadSettingsTest : public ::testing::Test {
  protected:
    TempWorkDir dir;
    void SetUp() override { theUnit.ResetForStart(); }
    void TearDown() override { theUnit.ResetForStart(); }

    bool Load(const std::string& ini) {
        TempWorkDir::Write("orvane.ini", ini);
        return theApp.LoadAutoUploadSettings();
    }
};

TEST_F(AutoUploadSettingsTest, SectionNamesMatchInAnyLetterCaseButExactly) {
    TempWorkDir::Write("code.hex", "S0");
    EXPECT_TRUE(Load("[pathwick topo]\nCODE=code.hex\n\nMAP=\n\n"));
    EXPECT_EQ(theApp.autoUnitType, 14);

    EXPECT_FALSE(Load("[Pathwick Topo ]\nCODE=code.hex\n\nMAP=\n\n"));
    EXPECT_EQ(theApp.autoUnitType, 1);

    // The two family-2 rows share their name; the first one wins.
    EXPECT_TRUE(Load("junk line\n[GPS7K1/7K2] trailing words\nCODE=code.hex\n"));
    EXPECT_EQ(theApp.autoUnitType, 2);
    EXPECT_EQ(theUnit.codePath, "code.hex");
    EXPECT_EQ(theUnit.codeChosen, 1);
}

TEST_F(AutoUploadSettingsTest, AMapAloneStartsAnAutomaticUpload) {
    TempWorkDir::Write("lakes.img", "map");
    EXPECT_TRUE(Load("[Solvanta]\nCODE=\nunused\nMAP=lakes.img\nNAME = Great Lakes\n"));
    EXPECT_EQ(theApp.autoUnitType, 7);
    EXPECT_EQ(theUnit.codeChosen, 0);
    EXPECT_EQ(theUnit.dataChosen, 1);
    EXPECT_EQ(theUnit.dataPath, "lakes.img");
    EXPECT_EQ(theUnit.autoMapName, "Great Lakes");
}

TEST_F(AutoUploadSettingsTest, NothingToUploadMeansNoAutomaticUpload) {
    EXPECT_FALSE(Load("[Solvanta]\nCODE=\nunused\nMAP=missing.img\nNAME = X\n"));
    EXPECT_EQ(theApp.autoUnitType, 7);
    EXPECT_EQ(theUnit.dataChosen, 0);
    EXPECT_EQ(theUnit.autoMapName, "");
    // The section matched, so the chosen flags were decided here.
    EXPECT_EQ(theUnit.codeChosen, 0);
}

TEST_F(AutoUploadSettingsTest, TheFirstSevenCharactersOfTheNameLineAreDropped) {
    TempWorkDir::Write("m.img", "map");
    EXPECT_TRUE(Load("[MAP7K3]\nCODE=\n\nMAP=m.img\n1234567\n"));
    EXPECT_EQ(theUnit.autoMapName, "");
    EXPECT_TRUE(Load("[MAP7K3]\nCODE=\n\nMAP=m.img\nshort\n"));
    EXPECT_EQ(theUnit.autoMapName, "");
}

TEST_F(AutoUploadSettingsTest, MissingFileOrSectionLeavesTheChoicesAlone) {
    theUnit.codeChosen = 1;
    theUnit.dataChosen = 1;
    EXPECT_FALSE(theApp.LoadAutoUploadSettings());
    EXPECT_FALSE(Load("[Unknown Unit]\nCODE=x\n"));
    EXPECT_EQ(theUnit.codeChosen, 1);
    EXPECT_EQ(theUnit.dataChosen, 1);
}

TEST_F(AutoUploadSettingsTest, LongLinesNeverTurnIntoOtherLinesOrOtherPaths) {
    // A long comment holding "[" and "]" further on must not read as a section header,
    // and must not shift the lines of the real section.
    std::string comment(50, 'x');
    comment += "[Pathwick]";
    std::string longPath(300, 'p');
    EXPECT_FALSE(Load(comment + "\n[Pathwick]\nCODE=" + longPath + "\n\nMAP=\n\n"));
    EXPECT_EQ(theApp.autoUnitType, 15);
    EXPECT_EQ(theUnit.codeChosen, 0);
    EXPECT_EQ(theUnit.codePath, "");

    std::string path255(251, 'q');
    path255 += ".hex";
    EXPECT_TRUE(Load("[Pathwick]\nCODE=" + path255 + "\n"));
    EXPECT_EQ(theUnit.codePath, path255);
}

TEST_F(AutoUploadSettingsTest, WindowsLineEndsAreLineEnds) {
    TempWorkDir::Write("m.img", "map");
    EXPECT_TRUE(Load("[Pathwick Color]\r\nCODE=code.hex\r\nx\r\nMAP=m.img\r\nNAME = Alps\r\n"));
    EXPECT_EQ(theUnit.codePath, "code.hex");
    EXPECT_EQ(theUnit.dataChosen, 1);
    EXPECT_EQ(theUnit.autoMapName, "Alps");
}
