// "orvane.ini": which section matches and what an automatic upload is given.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/TempWorkDir.h"

namespace {

class AutoUploadSettingsTest : public ::testing::Test {
  protected:
    TempWorkDir dir;
    CGpsUnit unit;
    CUploaderApp app{unit};
    void SetUp() override {
        for (const char* image : {"code.hex", "m.img"})
            TempWorkDir::Write(image, "S0");
    }

    bool Load(const std::string& ini) {
        TempWorkDir::Write("orvane.ini", ini);
        return app.LoadAutoUploadSettings();
    }
};

TEST_F(AutoUploadSettingsTest, SectionDecidesTheUnitAndTheLinesBelowItTheImages) {
    const std::string path255 = std::string(251, 'q') + ".hex";
    TempWorkDir::Write(path255, "S0");  // a code image that is not there is refused
    struct Case {
        const char* what;
        std::string ini;
        bool started;
        int unitType;
        int codeChosen, dataChosen;
        std::string codePath, mapName;
    } cases[] = {
        {"any letter case", "[pathwick topo]\nCODE=code.hex\n\nMAP=\n\n", true, 14, 1, 0,
         "code.hex", ""},
        {"but exactly", "[Pathwick Topo ]\nCODE=code.hex\n\nMAP=\n\n", false, 1, 0, 0, "", ""},
        // The two family-2 rows share their name; the first one wins.
        {"first of a shared name", "junk line\n[GPS7K1/7K2] trailing words\nCODE=code.hex\n", true,
         2, 1, 0, "code.hex", ""},
        {"a map alone", "[Solvanta]\nCODE=\nunused\nMAP=m.img\nNAME = Great Lakes\n", true, 7, 0, 1,
         "", "Great Lakes"},
        {"nothing to upload", "[Solvanta]\nCODE=\nunused\nMAP=missing.img\nNAME = X\n", false, 7, 0,
         0, "", ""},
        // The first seven characters of the name line are dropped.
        {"name line of seven", "[MAP7K3]\nCODE=\n\nMAP=m.img\n1234567\n", true, 5, 0, 1, "", ""},
        // A long comment holding "[" and "]" further on is no section header and does not
        // shift the lines of the real section.
        {"long lines", std::string(50, 'x') + "[Pathwick]\n[Pathwick]\nCODE=code.hex\n\nMAP=\n\n",
         true, 15, 1, 0, "code.hex", ""},
        {"longest path", "[Pathwick]\nCODE=" + path255 + "\n", true, 15, 1, 0, path255, ""},
        {"windows line ends",
         "[Pathwick Color]\r\nCODE=code.hex\r\nx\r\nMAP=m.img\r\nNAME = Alps\r\n", true, 12, 1, 1,
         "code.hex", "Alps"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        unit.ResetForStart();
        EXPECT_EQ(Load(c.ini), c.started);
        EXPECT_EQ(app.autoUnitType, c.unitType);
        EXPECT_EQ(unit.codeChosen, c.codeChosen);
        EXPECT_EQ(unit.dataChosen, c.dataChosen);
        EXPECT_EQ(unit.codePath, c.codePath);
        EXPECT_EQ(unit.autoMapName, c.mapName);
    }
}

// What cannot be used as it is written is refused with a box that names it, and no
// automatic upload starts: a path is never cut (the cut path could name another file), a
// NUL would cut it too, a FIFO would hold the start, and the file is read only up to a bound.
TEST_F(AutoUploadSettingsTest, WhatCannotBeUsedAsWrittenIsRefusedAndNamed) {
    ScriptedUi ui;
    const std::string path256 = std::string(252, 'q') + ".hex";
    const std::string named = "The file named in orvane.ini\n";
    const NonRegularFile fifo("fifo.img");
    ASSERT_TRUE(fifo.Made());
    struct Case {
        const char* what;
        std::string ini;
        std::string box;
    } cases[] = {
        {"too large", "[Pathwick]\nCODE=code.hex\n" + std::string(65536, ' '),
         "orvane.ini was not read: it is larger than 65536 bytes."},
        {"path of 256", "[Pathwick]\nCODE=" + path256 + "\n",
         named + path256 + "\nwas not used: its name is longer than 255 characters."},
        {"NUL in a path", std::string("[Solvanta]\nCODE=\n\nMAP=m.img\0.x\nNAME = X\n", 40),
         named + "m.img\\0.x\nwas not used: its name holds a NUL character."},
        {"a FIFO", "[Solvanta]\nCODE=code.hex\n\nMAP=fifo.img\nNAME = X\n",
         named + "fifo.img\nwas not used: it is not a regular file."},
        // Said before the receiver is asked anything, not once it waits in its loader.
        {"missing code", "[Pathwick]\nCODE=gone.hex\n\nMAP=m.img\nNAME = X\n",
         "Error reading code file\n" + named + "gone.hex\nwas not used: it does not exist."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        unit.ResetForStart();
        ui.OnMessageBox(c.box, "ERROR").Press(ui::IDOK);
        EXPECT_FALSE(Load(c.ini));
        EXPECT_EQ(std::tuple(unit.codeChosen, unit.dataChosen), std::tuple(0, 0));
    }
}

}  // namespace
