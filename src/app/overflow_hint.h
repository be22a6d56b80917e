// Windows 11 puts a new notification icon behind the ^ of the taskbar, and
// only the user can bring it out. Pavlune, reached only through its icon,
// then looks as if it were not running: the user is told once where it is.
#pragma once

#include <windows.h>

#include <string>

#include "app/settings_file.h"
#include "win/dialogs.h"

namespace pavlune {

// Whether the shell's own record of the icons says that the icon of that
// program is not on the taskbar. The shell's keys are only read: they are
// the user's choice.
bool IconHiddenInOverflow(const std::string& exePath);

// Tells the user where the icon is and how to keep it on the taskbar, once
// for the settings file; the note in the file is written first, so that a
// session that ends while the box is open does not ask again.
void TellIconPlaceOnce(UserDialogs& dialogs, HWND owner, const std::string& exePath, SettingsFile& settings);

}  // namespace pavlune
