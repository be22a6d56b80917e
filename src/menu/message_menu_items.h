// The message menu as menu items for drawing: groups become submenus,
// separators stay lines, and every other entry runs the chosen action.
#pragma once

#include <functional>
#include <vector>

#include "common/menu_model.h"
#include "menu/message_menu.h"

namespace pavlune {

using MessageChosen = std::function<void(const MessageEntry&)>;

// Built afresh each time the menu opens, so it always shows the last load.
std::vector<MenuItem> MessageMenuItems(const MessageMenu& menu, const MessageChosen& chosen);

}  // namespace pavlune
