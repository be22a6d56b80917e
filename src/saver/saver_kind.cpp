#include "saver/saver_kind.h"

namespace pavlune {

void RMenuDengonClick(PopupMenuModel& menu) {
    menu.SetChecked("RMenuDengon", true);
    menu.Item("RMenuDengon").ImageIndex = kChosenKindImage;
    menu.Item("RMenu3D").ImageIndex = 15;
}

void RMenu3DClick(PopupMenuModel& menu) {
    menu.SetChecked("RMenu3D", true);
    menu.Item("RMenuDengon").ImageIndex = 14;
    menu.Item("RMenu3D").ImageIndex = kChosenKindImage;
}

}  // namespace pavlune
