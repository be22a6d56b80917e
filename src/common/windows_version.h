// What the program needs to know of the running Windows, derived once from
// the version record (GetVersionExA) before anything else is built.
#pragma once

namespace pavlune {

struct WindowsVersion {
    bool Nt = false;         // NT line (NT4, 2000, XP and later); otherwise 9x (95, 98, Me)
    bool Windows95 = false;  // 9x line with minor version 0; false on 98/Me and on NT
    bool Above40 = false;    // newer than 4.0: 98, Me, 2000 and later
    // Menu items with pictures drawn by the program and the full item
    // record (98, Me, 2000 and later); 95 and NT4 take only the short record.
    bool ExtendedMenuItems = false;
    bool Vista = false;      // NT line 6.0 and later (Vista to 11)
    // The notification area's longer icon record, keyboard messages and
    // focus (2000, Me and later); 95, 98 and NT4 send the mouse's only.
    bool NewerNotifyIcons = false;
};

// From the version record: platform id 2 is the NT line, any other value
// the 9x line.
WindowsVersion MakeWindowsVersion(unsigned long platformId, unsigned long majorVersion, unsigned long minorVersion);

}  // namespace pavlune
