// The system's screen-saver-active flag.
#pragma once

#include "common/menu_model.h"

namespace pavlune {

bool ReadScreenSaverActive();
// Other programs are told of the change (SPIF_SENDWININICHANGE); the user's
// profile keeps its own value.
void WriteScreenSaverActive(bool active);

// Switches the system's screen saver off while the item is checked.
void RMenuScreenSaverDisabledClick(PopupMenuModel& menu);

}  // namespace pavlune
