// One helper for each Win32 idiom the program repeats: reading the version
// and the system folder, profile strings, opening with the shell, and the
// common controls. Version-dependent details are written once, here.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "common/windows_version.h"

namespace pavlune {

// GetVersionExA, read once at start-up and handed to whoever needs it.
WindowsVersion ReadWindowsVersion();

// The system directory without a trailing backslash; empty when it cannot be read.
std::string SystemDirectory();

// Windows looks for a DLL in the program's own folder before the system
// folder, but for its short list of known DLLs, and the program runs from
// folders anyone may write (Downloads, a share of the file server): every
// other DLL is loaded by its full path in the system folder. Null when it
// is not there.
HMODULE LoadSystemLibrary(const char* name);

// GetPrivateProfileStringA with room for 2047 bytes of value. The system
// drops the outer blanks of the value.
std::string ReadProfileString(const char* section, const char* key, const std::string& defaultValue,
                              const std::string& file);

// WritePrivateProfileStringA (a null key removes the section, a null value
// the key). False when refused, and also for a file the user made read-only:
// it is not ours to change, even where the system would let an
// administrator write through the attribute.
bool WriteProfileString(const char* section, const char* key, const char* value, const std::string& file);

// Opens a file, folder or link with the shell's verb (none: the default
// verb). Failures are the shell's to show, if any.
void OpenWithShell(HWND owner, const std::string& target, const char* verb = nullptr);

// An export looked up at run time, as the function type it has; null when
// this system lacks it.
template <typename Function>
Function ProcAddress(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Registers common control classes: with InitCommonControlsEx where the
// system's library has it (Internet Explorer 3 and later; the version 6
// controls that a manifest asks for come only this way), else with
// InitCommonControls. Kept in this header so that the message saver, which
// links none of the program's helpers, registers its trackbar the same way.
inline void InitCommonControlClasses(DWORD classes = ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES) {
    using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto initEx = ProcAddress<InitEx>(GetModuleHandleA("COMCTL32.DLL"), "InitCommonControlsEx");
    if (!initEx) {
        InitCommonControls();  // Windows 95 and NT4 as shipped: every class at once
        return;
    }
    INITCOMMONCONTROLSEX registered{sizeof registered, classes};
    initEx(&registered);
}

}  // namespace pavlune
