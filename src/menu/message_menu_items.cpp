#include "menu/message_menu_items.h"

#include <memory>

namespace pavlune {

namespace {

MenuItem ItemFor(const MessageEntry& entry, const MessageChosen& chosen) {
    MenuItem item;
    item.Caption = entry.Caption;
    item.ImageIndex = entry.IconIndex;
    item.IsDefault = entry.IsDefault;
    for (const auto& child : entry.Children) item.Items.push_back(ItemFor(*child, chosen));
    // An entry that became a group opens its submenu instead of being chosen.
    if (entry.HasAction && !entry.IsGroup()) {
        // The action gets a copy: a reload while the menu is open, or during
        // the action's own dialogs, replaces the tree it came from.
        auto copy = std::make_shared<MessageEntry>();
        copy->Caption = entry.Caption;
        copy->IsDefault = entry.IsDefault;
        copy->AskAddString = entry.AskAddString;
        copy->AddStringsFile = entry.AddStringsFile;
        copy->IconIndex = entry.IconIndex;
        copy->HasAction = entry.HasAction;
        item.OnClick = [chosen, copy] { chosen(*copy); };
    }
    return item;
}

}  // namespace

std::vector<MenuItem> MessageMenuItems(const MessageMenu& menu, const MessageChosen& chosen) {
    std::vector<MenuItem> items;
    items.reserve(menu.Entries.size());
    for (const auto& entry : menu.Entries) items.push_back(ItemFor(*entry, chosen));
    return items;
}

}  // namespace pavlune
