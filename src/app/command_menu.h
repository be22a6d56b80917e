// The command menu of a right click on the tray icon, in its initial state.
#pragma once

#include "common/menu_model.h"

namespace pavlune {

PopupMenuModel BuildCommandMenu();

}  // namespace pavlune
