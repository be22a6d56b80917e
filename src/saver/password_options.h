// The screen saver password switch of the command menu (パスワード有効) and,
// on the 9x line, the system's dialog that changes the saver password. The
// program's own use of the switch is temporary: on every road out it writes
// back the state the system had from outside. That state is kept in a
// section of the settings file of its own before the program first changes
// the switch, so that a start after a kill or a lost session puts it back.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "common/menu_model.h"
#include "common/windows_version.h"

namespace pavlune {

// The item's picture when the switch is left on, and when left off.
inline constexpr int kPasswordOnImage = 6;
inline constexpr int kPasswordOffImage = 19;

inline constexpr const char* kKeptPasswordSection = "Kept Saver Password";

class PasswordOptions {
public:
    // settingsPath: the settings file that keeps the user's own state.
    PasswordOptions(WindowsVersion version, PopupMenuModel& commandMenu, std::string settingsPath)
        : version_(version), commandMenu_(commandMenu), settingsPath_(std::move(settingsPath)) {}

    // Whether the user's desktop settings ask for a password: NT line the
    // string "ScreenSaverIsSecure", 9x line the integer
    // "ScreenSaveUsePassword", on exactly when it is 1. Any failure is off.
    bool ReadPasswordState() const;

    // Writes the opposite of RMenuPasswordEnabled's check and inverts the
    // check. A key that cannot be written leaves everything as it was.
    // The first change keeps the state seen from outside.
    void RMenuPasswordEnabledClick();
    // Another program changed the desktop settings (or this one did). The
    // user's own change is the user's: nothing is put back over it.
    void RefreshPasswordState();
    void RMenuPasswordChangeClick() { ChangeSaverPassword(nullptr); }
    // The system's password dialog of the 9x line (MPR.DLL); nothing where it is missing.
    static void ChangeSaverPassword(HWND window);

    // Start-up: the state as the system has it, then the settings file's
    // PasswordEnabled ("1" on, "0" off, anything else: leave it).
    void Start(const std::string& passwordEnabled);
    // Every road out (the close, the session's end, the end after a fatal
    // definition file): the state seen from outside goes back to the
    // system, unless the switch is no longer what the program wrote. The
    // kept state is forgotten once that is done.
    void Restore();
    // The first step of start-up: what a run that never ended kept goes back.
    void RestoreKept();

    bool SystemPasswordState = false;       // as last seen from outside the program
    bool IgnoreNextDesktopNotice = false;   // the program's own write is no outside change

private:
    bool WritePasswordState(bool on) const;
    void Keep(const char* key, bool on) const;
    void Forget();

    WindowsVersion version_;
    PopupMenuModel& commandMenu_;
    const std::string settingsPath_;
    std::optional<bool> written_;  // what the program last wrote, while it stands
};

}  // namespace pavlune
