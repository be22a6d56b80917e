#include "menu/message_selection.h"

#include <gtest/gtest.h>

#include "fake_icon_source.h"
#include "menu/definition_file.h"

namespace pavlune {
namespace {

struct Composition {
    const char* caption;
    const char* addition;
    const char* message;
};

TEST(MessageSelection, MessageFromCaptionAndPhrase) {
    const Composition cases[] = {
        {"会議中", "", "会議中"},
        {"外出", "15時戻り", "外出(15時戻り)"},
        {"<<自由文字列表示>>", "直帰します", "直帰します"},   // the free-text entry: no brackets
        {"<<自由文字列表示>>", "", ""},
        {"", "", ""},
        {"外出", " 15時 ", "外出( 15時 )"},                  // the phrase is not trimmed
        {"外出", "表\\ソ", "外出(表\\ソ)"},                   // backslashes and 0x5C trail bytes stay
        {"<<自由文字列表示>> ", "x", "<<自由文字列表示>> (x)"},  // only the exact caption is the free text
    };
    for (const Composition& c : cases) {
        EXPECT_EQ(ComposeMessage(MessageBase(c.caption), c.addition), c.message) << c.caption << " + " << c.addition;
    }
}

TEST(MessageSelection, ChoiceOfTheDefinitionFilesEntries) {
    // "@" alone makes the free-text entry that asks for the whole message.
    MessageMenu menu;
    FakeIconSource icons;
    ASSERT_EQ(BuildMessageMenu("@\r\n@行き先.txt@外出\r\n会議中\r\n", menu, icons), DefinitionOutcome::Loaded);
    ASSERT_EQ(menu.Entries.size(), 3u);
    MessageChoice free = MessageChoice::From(*menu.Entries[0]);
    EXPECT_EQ(MessageBase(free.Caption), "");
    EXPECT_TRUE(free.AskAddString);
    MessageChoice out = MessageChoice::From(*menu.Entries[1]);
    EXPECT_EQ(out.Caption, "外出");
    EXPECT_EQ(out.AddStringsFile, "行き先.txt");
    EXPECT_FALSE(MessageChoice::From(*menu.Entries[2]).AskAddString);
}

}  // namespace
}  // namespace pavlune
