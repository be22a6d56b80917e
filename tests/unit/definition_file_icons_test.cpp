// Icons of the menu definition file: which image each entry and group shows,
// the order in which images reach the image list, and icon load failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error.h"
#include "menu/definition_file.h"
#include "message_menu_fixture.h"

namespace pavlune {
namespace {

using Icons = std::vector<std::string>;

TEST(IconPlacement, ImageOfEachEntryAndAppendOrder) {
    struct Case {
        const char* name;
        const char* file;
        const char* outline;
        Icons appended;
        Icons dropped;
    };
    const Case cases[] = {
        {"doubled mark: no group icon, then text", "$$e.ico$昼食", "e.ico$昼食\n", {}, {}},
        {"no group icon, then an entry icon", "$$$b.ico$会議", "会議 $0\n", {"b.ico"}, {}},
        {"the closing search runs into the caption", "$5$会議", "会議 $0\n", {"5"}, {}},
        {"backslashes in icon paths are no separators", "$icons\\x.ico$昼食", "昼食 $0\n",
         {"icons\\x.ico"}, {}},
        {"a third icon mark is text", "$a.ico$$b.ico$$c.ico$x", "$c.ico$x $1\n", {"b.ico", "a.ico"}, {}},

        // Top level: the group icon is the entry's and is appended after the
        // entry icon, which stays in the image list unseen.
        {"top level, group icon", "$a.ico$昼食", "昼食 $0\n", {"a.ico"}, {}},
        {"top level, both icons", "$a.ico$$b.ico$昼食", "昼食 $1\n", {"b.ico", "a.ico"}, {}},

        // A group this line creates takes the group icon.
        {"new group, group icon", "$g.ico$帰宅\\本日", "帰宅 $0\n  本日\n", {"g.ico"}, {}},
        {"new group, both icons", "$g.ico$$e.ico$帰宅\\本日", "帰宅 $1\n  本日 $0\n",
         {"e.ico", "g.ico"}, {}},
        {"new group, entry icon", "$$$e.ico$帰宅\\本日", "帰宅\n  本日 $0\n", {"e.ico"}, {}},

        // An existing group keeps its icon; the line's group icon goes to the
        // entry unless it has its own, and is dropped then.
        {"existing group, group icon", "帰宅\\a\r\n$g.ico$帰宅\\b", "帰宅\n  a\n  b $0\n", {"g.ico"}, {}},
        {"existing group, both icons", "帰宅\\a\r\n$g.ico$$e.ico$帰宅\\b", "帰宅\n  a\n  b $0\n",
         {"e.ico"}, {"g.ico"}},
        {"existing group with its own icon", "$g1.ico$帰宅\\a\r\n$g2.ico$帰宅\\b",
         "帰宅 $0\n  a\n  b $1\n", {"g1.ico", "g2.ico"}, {}},
        {"existing top-level entry as the group", "会議 \r\n$g.ico$会議\\午前", "会議\n  午前 $0\n",
         {"g.ico"}, {}},

        // A faulty line (empty outline) has appended its entry icon already;
        // its group icon is released.
        {"faulty line", "$g.ico$$e.ico$分類\\ ", "", {"e.ico"}, {"g.ico"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MessageMenu caseMenu;
        FakeIconSource caseIcons;
        const DefinitionOutcome outcome = BuildMessageMenu(c.file, caseMenu, caseIcons);
        EXPECT_EQ(outcome, *c.outline ? DefinitionOutcome::Loaded : DefinitionOutcome::Faulty);
        EXPECT_EQ(Outline(caseMenu), c.outline);
        EXPECT_EQ(caseIcons.appended, c.appended);
        EXPECT_EQ(caseIcons.dropped, c.dropped);
        EXPECT_EQ(caseIcons.Leaked(), Icons{});
    }
}

using DefinitionFileIcons = MessageMenuTest;

TEST_F(DefinitionFileIcons, PathsAreUsedAsWritten) {
    ASSERT_EQ(Load("$ 表\\a.ico $$..\\ソ.ico$x"), DefinitionOutcome::Loaded);
    EXPECT_EQ(icons.loadRequests, (Icons{" 表\\a.ico ", "..\\ソ.ico"}));
}

TEST(IconLoadFailure, StopsAtItsLineKeepingEarlierEntries) {
    struct Case {
        const char* name;
        const char* failingLine;
        bool notAnIcon;
        const char* message;
    };
    const Case cases[] = {
        {"entry icon missing", "#$$$bad.ico$c", false, "ファイル bad.ico は開けません"},
        {"group icon missing", "#$bad.ico$分類\\c", false, "ファイル bad.ico は開けません"},
        {"entry icon after a group icon", "$g.ico$$bad.ico$分類\\c", false, "ファイル bad.ico は開けません"},
        {"not an icon", "$bad.ico$c", true, "アイコンイメージが不正です"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MessageMenu caseMenu;
        FakeIconSource caseIcons;
        (c.notAnIcon ? caseIcons.notIcons : caseIcons.unreadable).insert("bad.ico");
        const std::string file =
            "#a\r\n$ok.ico$分類\\b\r\n" + std::string(c.failingLine) + "\r\n$later.ico$d\r\n";
        try {
            BuildMessageMenu(file, caseMenu, caseIcons);
            ADD_FAILURE() << "the icon error did not reach the caller";
        } catch (const Error& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
        EXPECT_EQ(Outline(caseMenu), "a #\n分類 $0\n  b\n");
        EXPECT_EQ(caseMenu.DefaultMessageItem, caseMenu.Entries.at(0).get());
        EXPECT_EQ(caseIcons.appended, Icons{"ok.ico"});
        EXPECT_EQ(caseIcons.loadRequests.back(), "bad.ico") << "later lines are not read";
        EXPECT_EQ(caseIcons.Leaked(), Icons{});
    }
}

}  // namespace
}  // namespace pavlune
