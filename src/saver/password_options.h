// The screen saver password switch of the command menu (パスワード有効) and,
// on the 9x line, the system's dialog that changes the saver password. The
// program's own use of the switch is temporary: at close it writes back the
// state the system had from outside.
#pragma once

#include <windows.h>

#include "common/menu_model.h"
#include "common/windows_version.h"

namespace pavlune {

// The item's picture when the switch is left on, and when left off.
inline constexpr int kPasswordOnImage = 6;
inline constexpr int kPasswordOffImage = 19;

class PasswordOptions {
public:
    PasswordOptions(WindowsVersion version, PopupMenuModel& commandMenu) : version_(version), commandMenu_(commandMenu) {}

    // Whether the user's desktop settings ask for a password: NT line the
    // string "ScreenSaverIsSecure", 9x line the integer
    // "ScreenSaveUsePassword", on exactly when it is 1. Any failure is off.
    bool ReadPasswordState() const;

    // Writes the opposite of RMenuPasswordEnabled's check and inverts the
    // check. A key that cannot be written leaves everything as it was.
    void RMenuPasswordEnabledClick();
    // Another program changed the desktop settings (or this one did).
    void RefreshPasswordState();
    void RMenuPasswordChangeClick() { ChangeSaverPassword(nullptr); }
    // The system's password dialog of the 9x line (MPR.DLL); nothing where it is missing.
    static void ChangeSaverPassword(HWND window);

    // Start-up: the state as the system has it, then the settings file's
    // PasswordEnabled ("1" on, "0" off, anything else: leave it).
    void Start(const std::string& passwordEnabled);
    // Close: the state seen from outside goes back to the system.
    void WriteBack();

    bool SystemPasswordState = false;       // as last seen from outside the program
    bool IgnoreNextDesktopNotice = false;   // the program's own write is no outside change

private:
    bool WritePasswordState(bool on) const;

    WindowsVersion version_;
    PopupMenuModel& commandMenu_;
};

}  // namespace pavlune
