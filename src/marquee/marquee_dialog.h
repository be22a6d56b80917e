// The message saver's settings dialog "伝言板の設定": the text, its font
// and size, the text and background colours and the speed, with a sample
// that shows them as they are chosen. OK stores them in the current user's
// registry, creating the key when it is missing.
#pragma once

#include <windows.h>

#include "win/dialogs.h"

namespace pavlune {

// Shows the dialog over owner (none: on its own) until it is closed.
void ShowMarqueeDialog(HINSTANCE instance, HWND owner, UserDialogs& dialogs);

}  // namespace pavlune
