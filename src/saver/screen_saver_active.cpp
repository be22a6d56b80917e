#include "saver/screen_saver_active.h"

#include <windows.h>

namespace pavlune {

bool ReadScreenSaverActive() {
    BOOL active = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    return active != FALSE;
}

void WriteScreenSaverActive(bool active) {
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active ? TRUE : FALSE, nullptr, SPIF_SENDWININICHANGE);
}

void RMenuScreenSaverDisabledClick(PopupMenuModel& menu) {
    menu.InvertChecked("RMenuScreenSaverDisabled");
    WriteScreenSaverActive(!menu.IsChecked("RMenuScreenSaverDisabled"));
}

}  // namespace pavlune
