// The choice of the message saver: the Marquee saver (伝言板) or the 3D Text
// saver (３D), held by the radio items of the command menu.
#pragma once

#include "common/menu_model.h"

namespace pavlune {

// Picture of the chosen kind's menu item.
inline constexpr int kChosenKindImage = 17;

// The Marquee saver becomes the message saver.
void RMenuDengonClick(PopupMenuModel& menu);
// The 3D Text saver becomes the message saver.
void RMenu3DClick(PopupMenuModel& menu);

}  // namespace pavlune
