// The message menu as it is drawn: which items open submenus, which are
// chosen, and what the chosen action receives.
#include "menu/message_menu_items.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "message_menu_fixture.h"

namespace pavlune {
namespace {

class MessageMenuItemsTest : public MessageMenuTest {
protected:
    std::vector<MenuItem> Items() {
        return MessageMenuItems(menu, [this](const MessageEntry& entry) {
            chosen.push_back(entry.Caption + (entry.AskAddString ? " @" + entry.AddStringsFile : ""));
        });
    }

    std::vector<std::string> chosen;
};

TEST_F(MessageMenuItemsTest, GroupsBecomeSubmenusAndEntriesRunTheChoice) {
    ASSERT_EQ(Load("#在席\r\n@外出\r\n-\r\n$a.ico$帰宅\\本日は帰宅しました\r\n帰宅\\-\r\n"), DefinitionOutcome::Loaded);
    std::vector<MenuItem> items = Items();
    ASSERT_EQ(items.size(), 4u);

    EXPECT_TRUE(items[0].IsDefault);
    EXPECT_FALSE(items[1].IsDefault);
    EXPECT_TRUE(items[2].IsSeparator());
    EXPECT_FALSE(items[2].OnClick) << "a separator has no action";

    const MenuItem& group = items[3];
    EXPECT_EQ(group.Caption, "帰宅");
    EXPECT_EQ(group.ImageIndex, 0);
    EXPECT_FALSE(group.OnClick) << "pointing at a group opens it";
    ASSERT_EQ(group.Items.size(), 2u);
    EXPECT_FALSE(group.Items[1].OnClick) << "a separator inside a group has no action";

    items[0].OnClick();
    items[1].OnClick();
    group.Items[0].OnClick();
    EXPECT_EQ(chosen, (std::vector<std::string>{"在席", "外出 @Pavlune.2.txt", "本日は帰宅しました"}));
}

TEST_F(MessageMenuItemsTest, EntryThatBecameAGroupIsNoLongerChosen) {
    ASSERT_EQ(Load("会議\r\n会議\\午前\r\n"), DefinitionOutcome::Loaded);
    std::vector<MenuItem> items = Items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_FALSE(items[0].OnClick);
    ASSERT_EQ(items[0].Items.size(), 1u);
    EXPECT_TRUE(items[0].Items[0].OnClick);
}

TEST_F(MessageMenuItemsTest, ChoiceSurvivesAReloadWhileTheMenuIsOpen) {
    ASSERT_EQ(Load("@予定.txt@出張\r\n"), DefinitionOutcome::Loaded);
    std::vector<MenuItem> items = Items();
    ASSERT_EQ(Load("会議中\r\n"), DefinitionOutcome::Loaded);  // the tree the item came from is gone
    items[0].OnClick();
    EXPECT_EQ(chosen, (std::vector<std::string>{"出張 @予定.txt"}));
}

}  // namespace
}  // namespace pavlune
