// The system's screen-saver-active flag.
#pragma once

#include "app/command_menu.h"

namespace pavlune {

bool ReadScreenSaverActive();
// broadcast: tell other programs (SPIF_SENDWININICHANGE).
void WriteScreenSaverActive(bool active, bool broadcast);

// Switches the system's screen saver off while the item is checked.
void RMenuScreenSaverDisabledClick(PopupMenuModel& menu);

}  // namespace pavlune
