// The menu definition file: lines, marks, texts, groups, the default entry and
// the outcomes of a load. Icons have their own file.
#include "menu/definition_file.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "message_menu_fixture.h"

namespace pavlune {
namespace {

using namespace std::string_view_literals;

constexpr const char* kFree = "<<自由文字列表示>>";

TEST(DefinitionLines, SplitsCutsAndDropsComments) {
    struct Case {
        const char* name;
        std::string_view file;
        std::vector<std::string_view> lines;
    };
    const Case cases[] = {
        {"CR LF", "a\r\nb\r\nc", {"a", "b", "c"}},
        {"lone LF", "a\nb", {"a", "b"}},
        {"lone CR", "a\rb", {"a", "b"}},
        {"mixed", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"LF then CR ends two lines", "a\n\rb", {"a", "", "b"}},
        {"final CR LF adds no line", "a\r\n", {"a"}},
        {"final LF adds no line", "a\n", {"a"}},
        {"final CR adds no line", "a\r", {"a"}},
        {"blank lines stay", "a\r\n\r\n \r\nb", {"a", "", " ", "b"}},
        {"a line end alone is one blank line", "\r\n", {""}},
        {"zero byte ends the text", "a\r\nb\0c\r\nd"sv, {"a", "b"}},
        {"zero byte first", "\0a"sv, {}},
        {"comments dropped", "// x\r\na\r\n//\r\nb\r\n//", {"a", "b"}},
        {"blank before the slashes", " // x", {" // x"}},
        {"slashes later in the line", "a // b", {"a // b"}},
        {"single slash", "/", {"/"}},
        {"slash and another byte", "/*", {"/*"}},
        {"empty file", "", {}},
        {"comments only", "// a\r\n// b\r\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DefinitionLines(c.file), c.lines);
    }
}

using DefinitionFile = MessageMenuTest;

TEST_F(DefinitionFile, WorkedExample) {
    const char* file =
        "// 在席表示メニュー\r\n"
        "#在席\r\n"
        "会議中\r\n"
        "@外出\r\n"
        "@行き先.txt@出張\r\n"
        "-\r\n"
        "$icons\\lunch.ico$昼食\r\n"
        "$icons\\home.ico$$icons\\bye.ico$帰宅\\本日は帰宅しました\r\n"
        "帰宅\\明日は休みです\r\n"
        "@\r\n";
    ASSERT_EQ(Load(file), DefinitionOutcome::Loaded);
    EXPECT_EQ(Outline(),
              "在席 #\n"
              "会議中\n"
              "外出 @Pavlune.2.txt\n"
              "出張 @行き先.txt\n"
              "-\n"
              "昼食 $0\n"
              "帰宅 $2\n"
              "  本日は帰宅しました $1\n"
              "  明日は休みです\n"
              "<<自由文字列表示>> @Pavlune.2.txt\n");
    EXPECT_EQ(menu.DefaultMessageItem, &Top(0));
    EXPECT_EQ(icons.appended,
              (std::vector<std::string>{"icons\\lunch.ico", "icons\\bye.ico", "icons\\home.ico"}));
    EXPECT_FALSE(Top(6).HasAction) << "a group created by a line is not chosen by a click";
    EXPECT_TRUE(Top(6).Children[0]->HasAction);
}

// One line each; the expected menu is written as an outline (see the fixture).
TEST_F(DefinitionFile, LineSyntax) {
    struct Case {
        const char* name;
        const char* line;
        std::string outline;
    };
    const Case cases[] = {
        {"plain text", "会議中", "会議中\n"},
        {"default mark", "#在席", "在席 #\n"},
        {"default mark alone", "#", std::string(kFree) + " #\n"},
        {"phrase mark, no file", "@外出", "外出 @Pavlune.2.txt\n"},
        {"phrase mark alone", "@", std::string(kFree) + " @Pavlune.2.txt\n"},
        {"phrase file named", "@行き先.txt@出張", "出張 @行き先.txt\n"},
        {"closing mark searched over the caption", "@会議@中", "中 @会議\n"},
        {"doubled phrase mark names no file", "@@会議@中", "会議@中 @Pavlune.2.txt\n"},
        {"empty file name, empty text", "@@", std::string(kFree) + " @Pavlune.2.txt\n"},
        {"default mark after phrase mark is text", "@#在席", "#在席 @Pavlune.2.txt\n"},
        {"default and phrase marks", "#@a.txt@外出", "外出 # @a.txt\n"},
        {"phrase mark after icon marks is text", "$$@x", "@x\n"},
        {"unclosed icon mark gives no icon", "$会議", "会議\n"},
        {"@ inside the text", "会議@中", "会議@中\n"},
        {"ideographic space is no closing @", "@会議　中", "会議　中 @Pavlune.2.txt\n"},
        {"ァ is no closing @", "@ァ中", "ァ中 @Pavlune.2.txt\n"},
        {"file name ending in ソ", "@ソ@中", "中 @ソ\n"},
        {"blanks and controls trimmed", " \t\x01会議中\x1f\x0b ", "会議中\n"},
        {"trimmed after the marks", "#@ \t外出 ", "外出 # @Pavlune.2.txt\n"},
        {"ideographic space is not trimmed", "　会議　", "　会議　\n"},
        {"blanks only", " \t ", std::string(kFree) + "\n"},
        {"separator", "-", "-\n"},
        {"blank before slashes", " // x", "// x\n"},
        {"single slash", "/", "/\n"},
        {"ソ ends in 0x5C, no separator", "ソフト開発", "ソフト開発\n"},
        {"表 at the end is no backslash", "一覧表", "一覧表\n"},
        {"group name with 表", "表示\\テスト", "表示\n  テスト\n"},
        {"caption that is a backslash", "分類\\\\", "分類\n  \\\n"},
        {"later backslashes stay in the caption", "分類\\a\\b", "分類\n  a\\b\n"},
        {"blanks around the backslash stay", "分類 \\ メモ", "分類 \n   メモ\n"},
        {"empty group name", "\\テスト", "\n  テスト\n"},
        {"separator in a group", "分類\\-", "分類\n  -\n"},
        {"default entry in a group", "#分類\\メモ", "分類\n  メモ #\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Load(c.line), DefinitionOutcome::Loaded);
        EXPECT_EQ(Outline(), c.outline);
    }
}

TEST_F(DefinitionFile, BlankLinesAreFreeTextEntries) {
    ASSERT_EQ(Load("a\r\n\r\n  \t\r\nb\r\n"), DefinitionOutcome::Loaded);
    EXPECT_EQ(Outline(), "a\n" + std::string(kFree) + "\n" + kFree + "\nb\n");
    EXPECT_TRUE(Top(1).HasAction);
}

TEST_F(DefinitionFile, SeparatorsHaveNoAction) {
    ASSERT_EQ(Load("a\r\n-\r\n分類\\-\r\n分類\\b"), DefinitionOutcome::Loaded);
    EXPECT_TRUE(Top(0).HasAction);
    EXPECT_FALSE(Top(1).HasAction);
    EXPECT_FALSE(Top(2).Children[0]->HasAction);
    EXPECT_TRUE(Top(2).Children[1]->HasAction);
    EXPECT_TRUE(Top(1).IsSeparator());
    EXPECT_TRUE(Top(2).Children[0]->IsSeparator());
}

TEST_F(DefinitionFile, GroupStandsWhereFirstNamedAndCollectsLaterLines) {
    ASSERT_EQ(Load("分類\\a\r\nx\r\n分類\\b\r\ny\r\n分類\\c"), DefinitionOutcome::Loaded);
    EXPECT_EQ(Outline(), "分類\n  a\n  b\n  c\nx\ny\n");
}

TEST_F(DefinitionFile, GroupNamesAreCaseSensitive) {
    ASSERT_EQ(Load("Work\\a\r\nwork\\b\r\nWORK\\c\r\nWork\\d"), DefinitionOutcome::Loaded);
    EXPECT_EQ(Outline(), "Work\n  a\n  d\nwork\n  b\nWORK\n  c\n");
}

TEST_F(DefinitionFile, EmptyGroupNameIsOneGroup) {
    ASSERT_EQ(Load("\\a\r\nx\r\n\\b"), DefinitionOutcome::Loaded);
    EXPECT_EQ(Outline(), "\n  a\n  b\nx\n");
}

TEST_F(DefinitionFile, TopLevelEntryBecomesGroupKeepingItsFields) {
    ASSERT_EQ(Load("#@会議\r\n会議\\午前\r\n会議\\午後"), DefinitionOutcome::Loaded);
    EXPECT_EQ(Outline(), "会議 # @Pavlune.2.txt\n  午前\n  午後\n");
    EXPECT_EQ(menu.DefaultMessageItem, &Top(0)) << "still the tray double-click's entry";
    EXPECT_TRUE(Top(0).IsGroup());
}

TEST_F(DefinitionFile, FirstOfEqualCaptionsTakesTheMembers) {
    ASSERT_EQ(Load("会議\r\n会議\r\n会議\\午前"), DefinitionOutcome::Loaded);
    EXPECT_EQ(Outline(), "会議\n  午前\n会議\n");
}

TEST_F(DefinitionFile, GroupsHaveOneLevel) {
    // B is a member of A, not a top-level entry, so "B\C" makes a new group.
    ASSERT_EQ(Load("A\\B\r\nB\\C"), DefinitionOutcome::Loaded);
    EXPECT_EQ(Outline(), "A\n  B\nB\n  C\n");
}

TEST_F(DefinitionFile, DefaultEntryIsTheLastMarkedLine) {
    ASSERT_EQ(Load("#a\r\n#分類\\b\r\nc"), DefinitionOutcome::Loaded);
    EXPECT_EQ(Outline(), "a #\n分類\n  b #\nc\n") << "every marked entry is bold";
    EXPECT_EQ(menu.DefaultMessageItem, Top(1).Children[0].get());
}

TEST_F(DefinitionFile, NoMarkedLineNoDefaultEntry) {
    ASSERT_EQ(Load("a\r\nb"), DefinitionOutcome::Loaded);
    EXPECT_EQ(menu.DefaultMessageItem, nullptr);
}

TEST_F(DefinitionFile, TextEndingInBackslashIsFaultyKeepingEarlierLines) {
    const char* faultyLines[] = {
        "分類\\",          // the only backslash is the last byte
        "分類\\ \t ",      // blanks after it are trimmed first
        "\\",              // a backslash alone
        "#@x@\\",          // after the marks
        "表\\",            // 0x95 0x5C, then the real separator at the end
    };
    for (const char* faulty : faultyLines) {
        SCOPED_TRACE(faulty);
        const std::string file = "#a\r\n分類\\b\r\n" + std::string(faulty) + "\r\nc\r\n#d";
        ASSERT_EQ(Load(file), DefinitionOutcome::Faulty);
        EXPECT_EQ(Outline(), "a #\n分類\n  b\n") << "later lines are not read";
        EXPECT_EQ(menu.DefaultMessageItem, &Top(0));
    }
}

TEST_F(DefinitionFile, EmptyFiles) {
    const std::string_view files[] = {"", "// a", "// a\r\n//\r\n", "\0a\r\nb"sv};
    for (std::string_view file : files) {
        SCOPED_TRACE(std::string(file));
        ASSERT_EQ(Load("#x"), DefinitionOutcome::Loaded);
        EXPECT_EQ(Load(file), DefinitionOutcome::Empty);
        EXPECT_TRUE(menu.Entries.empty()) << "the previous menu is cleared";
        EXPECT_EQ(menu.DefaultMessageItem, nullptr);
    }
}

TEST_F(DefinitionFile, ReloadReplacesTheMenu) {
    ASSERT_EQ(Load("#a\r\n分類\\b"), DefinitionOutcome::Loaded);
    ASSERT_EQ(Load("分類\\c"), DefinitionOutcome::Loaded);
    EXPECT_EQ(Outline(), "分類\n  c\n");
    EXPECT_EQ(menu.DefaultMessageItem, nullptr);
}

TEST_F(DefinitionFile, ManyLines) {
    // Every third line is a top-level entry, the others go round 50 groups;
    // the one "#" stands on the line before the last.
    constexpr int kLines = 30000;
    constexpr int kGroups = 50;
    std::string file;
    for (int i = 0; i < kLines; ++i) {
        if (i == kLines - 2) file += '#';
        if (i % 3 == 0) {
            file += "項目表" + std::to_string(i);
        } else {
            file += "分類ソ" + std::to_string(i % kGroups) + "\\メモ" + std::to_string(i);
        }
        file += i % 2 ? "\r\n" : "\n";
    }
    ASSERT_EQ(Load(file), DefinitionOutcome::Loaded);

    std::size_t topLevelEntries = 0;
    std::size_t members = 0;
    for (const auto& entry : menu.Entries) {
        if (!entry->IsGroup()) {
            ++topLevelEntries;
            continue;
        }
        int previous = -1;
        for (const auto& child : entry->Children) {
            int line = std::stoi(child->Caption.substr(std::string("メモ").size()));
            EXPECT_EQ("分類ソ" + std::to_string(line % kGroups), entry->Caption);
            EXPECT_GT(line, previous) << "members keep file order";
            previous = line;
            ++members;
        }
    }
    EXPECT_EQ(topLevelEntries, static_cast<std::size_t>((kLines + 2) / 3));
    EXPECT_EQ(members + topLevelEntries, static_cast<std::size_t>(kLines));
    EXPECT_EQ(menu.Entries.size(), topLevelEntries + kGroups);
    ASSERT_NE(menu.DefaultMessageItem, nullptr);
    EXPECT_EQ(menu.DefaultMessageItem->Caption, "メモ" + std::to_string(kLines - 2));
}

TEST(DefinitionFileMessages, TextsShownToTheUser) {
    EXPECT_EQ(MissingDefinitionFileMessage("C:\\Tools\\Pavlune.TXT"),
              "メニュー定義ファイルC:\\Tools\\Pavlune.TXTが見つかりません。\n\nプログラムを終了します。");
    EXPECT_STREQ(kEmptyDefinitionFileMessage, "メニュー定義ファイルが空です。\n\nプログラムを終了します。");
    EXPECT_STREQ(kFaultyDefinitionFileMessage,
                 "メニュー定義ファイルに誤りがあります。\n\nプログラムを終了します。");
    EXPECT_EQ(IconNotOpenedMessage("icons\\a.ico"), "ファイル icons\\a.ico は開けません");
}

}  // namespace
}  // namespace pavlune
