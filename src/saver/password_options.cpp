#include "saver/password_options.h"

#include <string>

#include "common/integer_text.h"
#include "win/handles.h"
#include "win/registry.h"
#include "win/win_util.h"

namespace pavlune {

namespace {

constexpr const char* kDesktopKey = "Control Panel\\desktop";
constexpr const char* kNtValue = "ScreenSaverIsSecure";
constexpr const char* kNineXValue = "ScreenSaveUsePassword";
constexpr const char* kItem = "RMenuPasswordEnabled";
// Keys of the kept section: the state seen from outside, and the program's own.
constexpr const char* kUser = "User";
constexpr const char* kWritten = "Written";

UniqueKey OpenDesktopKey(REGSAM access) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, access, &opened) != ERROR_SUCCESS) return UniqueKey();
    return UniqueKey(opened);
}

}  // namespace

bool PasswordOptions::ReadPasswordState() const {
    UniqueKey key = OpenDesktopKey(KEY_READ);
    if (!key) return false;
    if (version_.Nt) {
        RegistryString value = ReadRegistryString(key.get(), kNtValue);
        return value.Found == RegistryString::Kind::Text && ParseInteger(value.Text) == 1;
    }
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegQueryValueExA(key.get(), kNineXValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD && value == 1;
}

bool PasswordOptions::WritePasswordState(bool on) const {
    UniqueKey key = OpenDesktopKey(KEY_SET_VALUE);
    if (!key) return false;
    LONG status;
    if (version_.Nt) {
        const char* text = on ? "1" : "0";
        status = RegSetValueExA(key.get(), kNtValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 2);
    } else {
        DWORD value = on ? 1 : 0;
        status = RegSetValueExA(key.get(), kNineXValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                sizeof value);
    }
    return status == ERROR_SUCCESS;
}

void PasswordOptions::RMenuPasswordEnabledClick() {
    const bool on = !commandMenu_.IsChecked(kItem);
    // A settings file that keeps nothing still leaves the close and the
    // session's end to put the state back.
    if (!written_) Keep(kUser, SystemPasswordState);
    // A write the system refused changes nothing: the menu keeps showing
    // the state the system has, and the next outside change is heard.
    if (!WritePasswordState(on)) return;
    written_ = on;
    Keep(kWritten, on);
    IgnoreNextDesktopNotice = true;
    SendMessageA(nullptr, WM_WININICHANGE, 0, 0);
    commandMenu_.InvertChecked(kItem);
    commandMenu_.Item(kItem).ImageIndex = commandMenu_.IsChecked(kItem) ? kPasswordOnImage : kPasswordOffImage;
}

void PasswordOptions::RefreshPasswordState() {
    if (IgnoreNextDesktopNotice) {
        IgnoreNextDesktopNotice = false;
        return;
    }
    commandMenu_.SetChecked(kItem, ReadPasswordState());
    SystemPasswordState = commandMenu_.IsChecked(kItem);
    if (written_) Forget();
}

void PasswordOptions::ChangeSaverPassword(HWND window) {
    using PwdChangePassword = DWORD(WINAPI*)(const char* provider, HWND window, DWORD, DWORD);
    UniqueModule library(LoadSystemLibrary("MPR.DLL"));
    auto change = ProcAddress<PwdChangePassword>(library.get(), "PwdChangePasswordA");
    if (change) change("SCRSAVE", window, 0, 0);
}

void PasswordOptions::Start(const std::string& passwordEnabled) {
    commandMenu_.SetChecked(kItem, ReadPasswordState());
    // What a run that never ended wrote, and could not yet put back, is not
    // the user's state.
    if (!written_) SystemPasswordState = commandMenu_.IsChecked(kItem);
    bool checked = commandMenu_.IsChecked(kItem);
    if ((passwordEnabled == "1" && !checked) || (passwordEnabled == "0" && checked)) RMenuPasswordEnabledClick();
}

// Nothing is done for the desktop watcher: on these roads it is stopped,
// or not yet started.
void PasswordOptions::Restore() {
    if (!written_) return;
    if (ReadPasswordState() == *written_ && *written_ != SystemPasswordState) {
        if (!WritePasswordState(SystemPasswordState)) return;
        commandMenu_.SetChecked(kItem, SystemPasswordState);
    }
    Forget();
}

void PasswordOptions::RestoreKept() {
    const std::string user = ReadProfileString(kKeptPasswordSection, kUser, "", settingsPath_);
    const std::string written = ReadProfileString(kKeptPasswordSection, kWritten, "", settingsPath_);
    if (user.empty() && written.empty()) return;
    SystemPasswordState = user == "1";
    // Kept without what was written: the write never happened.
    if (written == "1" || written == "0") written_ = written == "1";
    if (written_) Restore();
    else Forget();
}

void PasswordOptions::Keep(const char* key, bool on) const {
    WriteProfileString(kKeptPasswordSection, key, on ? "1" : "0", settingsPath_);
}

void PasswordOptions::Forget() {
    written_.reset();
    WriteProfileString(kKeptPasswordSection, nullptr, nullptr, settingsPath_);
}

}  // namespace pavlune
