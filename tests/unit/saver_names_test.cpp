// The message savers' names on each Windows line, and the 16-byte limit of
// the 3D Text saver's text on the 9x line.
#include "saver/saver_names.h"

#include <gtest/gtest.h>

#include <string>

namespace pavlune {
namespace {

const WindowsVersion kNt{true, false};
const WindowsVersion kWindows95{false, true};
const WindowsVersion kWindows98{false, false};

TEST(SaverNames, NamesOfEachKindOnEachLine) {
    struct Case {
        const char* label;
        bool threeD;
        WindowsVersion line;
        std::string settingsName;
        std::string fileBaseName;
    };
    const Case cases[] = {
        {"Marquee NT", false, kNt, "Marquee", "ssmarque"},
        {"Marquee 95", false, kWindows95, "伝言板", "伝言板"},
        {"Marquee 98", false, kWindows98, "伝言板", "伝言板"},
        {"3D Text NT", true, kNt, "3DText", "sstext3d"},
        {"3D Text 95", true, kWindows95, "3DText", "3D ﾃｷｽﾄ (OpenGL)"},
        {"3D Text 98", true, kWindows98, "3DText", "3D テキスト (OpenGL)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetSaverName(c.threeD, c.line, kSaverSettingsName), c.settingsName) << c.label;
        EXPECT_EQ(GetSaverName(c.threeD, c.line, kSaverFileBaseName), c.fileBaseName) << c.label;
        for (int otherMode : {0, 3, -1}) {
            EXPECT_EQ(GetSaverName(c.threeD, c.line, otherMode), c.fileBaseName)
                << c.label << ", mode " << otherMode;
        }
    }
}

TEST(SaverNames, Windows95NameIsHalfWidthKatakana) {
    // ﾃｷｽﾄ is four one-byte characters; テキスト four two-byte ones.
    EXPECT_EQ(GetSaverName(true, kWindows95, kSaverFileBaseName), "3D \xC3\xB7\xBD\xC4 (OpenGL)");
    EXPECT_EQ(GetSaverName(true, kWindows98, kSaverFileBaseName),
              "3D \x83\x65\x83\x4C\x83\x58\x83\x67 (OpenGL)");
}

TEST(SaverNames, ThreeDTextSaverFile) {
    EXPECT_EQ(ThreeDTextSaverFileName(kNt), "sstext3d.scr");
    EXPECT_EQ(ThreeDTextSaverFileName(kWindows98), "3D テキスト (OpenGL).scr");
    EXPECT_EQ(ThreeDTextSaverFileName(kWindows95), "3D ﾃｷｽﾄ (OpenGL).scr");
}

TEST(SaverNames, CutTo16Bytes) {
    const std::string ascii15(15, 'a');
    const std::string ascii14(14, 'a');
    const std::string ascii13(13, 'a');
    struct Case {
        const char* label;
        std::string text;
        std::string cut;
    };
    const Case cases[] = {
        {"empty", "", ""},
        {"15 bytes", ascii15, ascii15},
        {"16 single bytes", ascii15 + "b", ascii15 + "b"},
        {"16 bytes ending in a whole two-byte character", ascii14 + "伝", ascii14 + "伝"},
        {"eight two-byte characters", "伝言板伝言板伝言", "伝言板伝言板伝言"},
        {"17 single bytes", ascii15 + "bc", ascii15 + "b"},
        {"16th byte begins a two-byte character", ascii15 + "伝", ascii15},
        {"16th byte begins ャ (0x83 0x83)", ascii15 + "ャ", ascii15},
        {"16th byte is the second byte of ャ, itself a lead-byte value", ascii14 + "ャb", ascii14 + "ャ"},
        {"ャャ over bytes 14 to 17", ascii13 + "ャャ", ascii13 + "ャ"},
        {"nine two-byte characters end on a whole character at 16", "ャャャャャャャャャ", "ャャャャャャャャ"},
        {"odd start puts a lead byte at 16", "a伝言板伝言板伝言板", "a伝言板伝言板伝"},
        {"second byte 0x5C at 16 (表)", ascii14 + "表b", ascii14 + "表"},
        {"half-width katakana are one byte each", std::string(20, '\xB1'), std::string(16, '\xB1')},
        {"half-width katakana before a two-byte character",
         std::string(15, '\xB1') + "伝", std::string(15, '\xB1')},
        {"long text", "ただいま会議中です。午後三時に戻ります。", "ただいま会議中で"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CutTo16Bytes(c.text), c.cut) << c.label;
    }
}

TEST(SaverNames, CutKeepsTextsThatFitUntouched) {
    // A lone lead byte at the end is not completed or removed when the text fits.
    const std::string ending = std::string(15, 'a') + "\x83";
    EXPECT_EQ(CutTo16Bytes(ending), ending);
}

}  // namespace
}  // namespace pavlune
