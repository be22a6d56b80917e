// Turns menu items into a real popup menu each time it opens, tracks it, and
// returns the chosen item's action. Pictures come from an image list and are
// drawn by the program itself (HBMMENU_CALLBACK): menu bitmaps set directly
// lose their transparency on some systems. Windows 95 and NT4 know neither,
// so their menus have no pictures; captions, checks, radio marks and bold
// default entries are the same everywhere.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "common/menu_model.h"

namespace pavlune {

struct PopupOptions {
    HIMAGELIST Images = nullptr;
    UINT ExtraFlags = 0;  // e.g. TPM_VERNEGANIMATION
    bool ExtendedItems = true;  // WindowsVersion::ExtendedMenuItems
};

// Shows the menu with its top-left corner at the point (screen coordinates)
// until the user chooses or dismisses it. Returns the chosen item's action,
// empty when nothing with an action was chosen. The owner receives the
// drawing messages for the pictures while the menu is open. Afterwards the
// low bit of GetAsyncKeyState(VK_RBUTTON) tells whether the right button
// chose the item.
std::function<void()> TrackMenu(HWND owner, const std::vector<MenuItem>& items, POINT at,
                                const PopupOptions& options);

// Handles WM_MEASUREITEM and WM_DRAWITEM for pictures of menus opened by
// TrackMenu. Returns false for any other message.
bool HandleMenuPictureMessage(UINT message, LPARAM lParam);

}  // namespace pavlune
