// Phrase lists: reading and writing the list files, their paths and
// messages, and the names of the "open phrase file" submenu.
#include "menu/add_strings.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "message_menu_fixture.h"

namespace pavlune {
namespace {

using namespace std::string_view_literals;
using Phrases = std::vector<std::string>;

TEST(PhraseListFile, ReadsOnePhrasePerLine) {
    struct Case {
        const char* name;
        std::string_view bytes;
        Phrases phrases;
    };
    const Case cases[] = {
        {"empty file", "", {}},
        {"CR LF", "15時戻り\r\n外出中\r\n", {"15時戻り", "外出中"}},
        {"no line end at the end", "A\r\nB", {"A", "B"}},
        {"final line end makes no extra phrase", "A\r\nB\r\n", {"A", "B"}},
        {"lone CR and lone LF", "A\rB\nC", {"A", "B", "C"}},
        {"LF then CR ends two lines", "A\n\rB", {"A", "", "B"}},
        {"blank lines are empty phrases", "A\r\n\r\n\r\nB\r\n", {"A", "", "", "B"}},
        {"a line end alone is one empty phrase", "\r\n", {""}},
        {"blanks are kept", " A \r\n\t\r\n", {" A ", "\t"}},
        {"no line is a comment", "// 東京\r\n#@$\\\r\n", {"// 東京", "#@$\\"}},
        {"trail bytes 0x5C and 0x40 are text", "表示\r\nソフト\r\n会議　中\r\n", {"表示", "ソフト", "会議　中"}},
        {"a zero byte ends its phrase only", "A\0x\r\nB\r\n\0\r\nC"sv, {"A", "B", "", "C"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadPhraseList(c.bytes), c.phrases);
    }
}

TEST(PhraseListFile, WritesEveryPhraseWithCrLf) {
    EXPECT_EQ(WritePhraseList({}), "");
    EXPECT_EQ(WritePhraseList({""}), "\r\n");
    EXPECT_EQ(WritePhraseList({"A", "B", "D"}), "A\r\nB\r\nD\r\n");
    EXPECT_EQ(WritePhraseList({"行き先", "", "表"}), "行き先\r\n\r\n表\r\n");
}

TEST(PhraseListFile, WriteThenReadGivesThePhrasesBack) {
    const Phrases lists[] = {
        {},
        {""},
        {"", ""},
        {"A", "B"},
        {"", "A", ""},
        {"15時戻り", "ソフト\\表", "　", " "},
    };
    for (const Phrases& phrases : lists) {
        EXPECT_EQ(ReadPhraseList(WritePhraseList(phrases)), phrases);
    }
}

TEST(PhraseListFile, OtherLineEndsBecomeCrLfAfterOneRoundTrip) {
    std::string once = WritePhraseList(ReadPhraseList("A\nB\rC\n\nD"));
    EXPECT_EQ(once, "A\r\nB\r\nC\r\n\r\nD\r\n");
    EXPECT_EQ(WritePhraseList(ReadPhraseList(once)), once);
}

TEST(PhraseListFile, LongLinesAndManyLinesAreReadWhole) {
    std::string longLine(1 << 20, 'x');
    Phrases phrases = ReadPhraseList(longLine + "\r\n" + longLine);
    ASSERT_EQ(phrases.size(), 2u);
    EXPECT_EQ(phrases[0].size(), longLine.size());
    EXPECT_EQ(phrases[1].size(), longLine.size());

    std::string manyLines;
    for (int i = 0; i < 100000; ++i) manyLines += std::to_string(i) + "\n";
    phrases = ReadPhraseList(manyLines);
    ASSERT_EQ(phrases.size(), 100000u);
    EXPECT_EQ(phrases.front(), "0");
    EXPECT_EQ(phrases.back(), "99999");
}

TEST(PhraseListFile, PathIsTheProgramFolderFollowedByTheName) {
    EXPECT_EQ(PhraseListPath("C:\\Tools\\", "Pavlune.2.txt"), "C:\\Tools\\Pavlune.2.txt");
    EXPECT_EQ(PhraseListPath("C:\\ソフト\\", "lists\\行き先.txt"), "C:\\ソフト\\lists\\行き先.txt");
}

TEST(PhraseListFile, Messages) {
    EXPECT_EQ(PhraseListNotReadMessage("C:\\Tools\\Pavlune.2.txt"), "C:\\Tools\\Pavlune.2.txtを開けません");
    EXPECT_EQ(PhraseListNotWrittenMessage("C:\\Tools\\Pavlune.2.txt"),
              "ファイル C:\\Tools\\Pavlune.2.txt を作成できません");
}

TEST(PhraseListNames, UpperCaseAsciiLeavesTwoByteCharactersAlone) {
    EXPECT_EQ(UpperCaseAscii("Pavlune.2.txt"), "PAVLUNE.2.TXT");
    EXPECT_EQ(UpperCaseAscii("lists\\行き先.txt"), "LISTS\\行き先.TXT");
    // Two-byte characters whose second bytes are "a" and "z".
    EXPECT_EQ(UpperCaseAscii("\x83\x61\x83\x7a.txt"), "\x83\x61\x83\x7a.TXT");
    EXPECT_EQ(UpperCaseAscii("ｱｲｳabc"), "ｱｲｳABC");
    EXPECT_EQ(UpperCaseAscii("z\x81"), "Z\x81") << "a lead byte at the end stands alone";
}

using PhraseListMenu = MessageMenuTest;

TEST_F(PhraseListMenu, ChildrenFirstThenTheEntryEachNameOnceInOrder) {
    ASSERT_EQ(Load("@b.txt@会議\r\n"
                   "@a.txt@会議\\午前\r\n"
                   "@c.txt@会議\\午後\r\n"
                   "@外出\r\n"
                   "@pavlune.2.TXT@昼食\r\n"
                   "@A.TXT@休み\r\n"),
              DefinitionOutcome::Loaded);
    std::vector<std::string> seen;
    auto recordingUpper = [&](std::string_view name) {
        seen.emplace_back(name);
        return UpperCaseAscii(name);
    };
    EXPECT_EQ(PhraseListNames(menu, recordingUpper), (Phrases{"A.TXT", "B.TXT", "C.TXT", "PAVLUNE.2.TXT"}));
    EXPECT_EQ(seen, (Phrases{"a.txt", "c.txt", "b.txt", "Pavlune.2.txt", "pavlune.2.TXT", "A.TXT"}));
}

TEST_F(PhraseListMenu, NoAtLineGivesNoName) {
    ASSERT_EQ(Load("在席\r\n会議\\午前\r\n-\r\n\r\n"), DefinitionOutcome::Loaded);
    EXPECT_TRUE(PhraseListNames(menu).empty());
}

TEST_F(PhraseListMenu, OrderComesFromTheComparisonAndEqualNamesStayApart) {
    ASSERT_EQ(Load("@b@1\r\n@a@2\r\n@c@3\r\n@B@4\r\n"), DefinitionOutcome::Loaded);
    auto keepCase = [](std::string_view name) { return std::string(name); };
    auto descending = [](std::string_view a, std::string_view b) { return b.compare(a); };
    EXPECT_EQ(PhraseListNames(menu, keepCase, descending), (Phrases{"c", "b", "a", "B"}));
    // A comparison that finds two different names equal keeps both.
    auto ignoringCase = [](std::string_view a, std::string_view b) {
        return UpperCaseAscii(a).compare(UpperCaseAscii(b));
    };
    EXPECT_EQ(PhraseListNames(menu, keepCase, ignoringCase), (Phrases{"a", "B", "b", "c"}));
}

TEST(PhraseListMenuItems, OneBoldDefaultItemsWithImage18AndClicksOpenTheCaption) {
    MenuItem parent;
    parent.Items.emplace_back().Caption = "OLD.TXT";
    std::vector<std::string> opened;
    FillPhraseListMenu(parent, {"A.TXT", "PAVLUNE.2.TXT", "LISTS\\行き先.TXT"},
                       [&](const std::string& caption) { opened.push_back(caption); });
    ASSERT_EQ(parent.Items.size(), 3u);
    for (const MenuItem& item : parent.Items) {
        SCOPED_TRACE(item.Caption);
        EXPECT_EQ(item.ImageIndex, 18);
        EXPECT_EQ(item.IsDefault, item.Caption == "PAVLUNE.2.TXT");
        EXPECT_FALSE(item.Checked);
        EXPECT_TRUE(item.Items.empty());
        ASSERT_TRUE(item.OnClick);
        item.OnClick();
    }
    EXPECT_EQ(opened, (Phrases{"A.TXT", "PAVLUNE.2.TXT", "LISTS\\行き先.TXT"}));

    FillPhraseListMenu(parent, {}, [](const std::string&) {});
    EXPECT_TRUE(parent.Items.empty());
}

}  // namespace
}  // namespace pavlune
