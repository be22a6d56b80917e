// The 3D Text saver of Vista and later takes its text from a key of its
// own: "DisplayString", shown when "DisplayTime" is 0 (else it shows the
// clock). A message written there is the program's; the values it replaces
// are the user's, and they come back on every road out of the program.
// Before the key is touched they are kept in a section of the settings file
// of their own, so that a start after a kill, a crash or a lost session
// still finds them and puts them back.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

#include "common/menu_model.h"
#include "common/registry_value.h"
#include "common/windows_version.h"

namespace pavlune {

inline constexpr const char* kKeptThreeDTextSection = "Kept 3D Text Saver Values";

class ThreeDTextDisplay {
public:
    // The saver kind is whichever of RMenuDengon / RMenu3D is checked at
    // each call. settingsPath: the settings file that keeps the user's values.
    ThreeDTextDisplay(WindowsVersion version, const PopupMenuModel& commandMenu, std::string settingsPath);

    // With the 3D Text kind on Vista and later: stores message as the
    // saver's text and switches its clock off. The user's values are kept
    // first: those found at the first message, or both of them once either
    // is not what the program wrote (the user set them in the saver's own
    // dialog since). False when the settings file does not keep them:
    // nothing is written then, so that nothing of the user's can be lost.
    bool Show(const std::string& message);

    // Puts back what is kept, by this run or by one that never ended, when
    // both values are still the ones the program wrote: the two are one
    // setting, and once the user changed either, both are the user's. A
    // value that was not there goes again, and the key too when the program
    // made it and nothing else is in it. The kept values are forgotten once
    // all of that is done; what the registry refused is tried again by the
    // next call, at the latest at the next start.
    void Restore();

private:
    struct DisplayValue {
        const wchar_t* Name;
        const char* KeptAs;                    // its key in the section
        std::optional<RegistryValue> Written;  // what the program stores there
    };
    DisplayValue Text() const;
    static DisplayValue Time();
    std::string ReadKept(const char* key) const;
    // Keeps text and reads it back; false when the file did not keep it whole.
    bool Keep(const char* key, const std::string& text);
    // Both values as the key holds them now; nothing when either cannot be read.
    std::optional<std::pair<RegistryValue, RegistryValue>> ReadValues(HKEY key) const;
    // Whether values are the ones the program wrote last.
    bool Written(const std::pair<RegistryValue, RegistryValue>& values) const;

    const WindowsVersion version_;
    const PopupMenuModel& commandMenu_;
    const std::string settingsPath_;
};

}  // namespace pavlune
