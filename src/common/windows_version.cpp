#include "common/windows_version.h"

namespace pavlune {

namespace {
constexpr unsigned long kPlatformNt = 2;
}

WindowsVersion MakeWindowsVersion(unsigned long platformId, unsigned long majorVersion, unsigned long minorVersion) {
    WindowsVersion version;
    version.Nt = platformId == kPlatformNt;
    version.Windows95 = !version.Nt && minorVersion == 0;
    version.Above40 = majorVersion > 4 || (majorVersion == 4 && minorVersion > 0);
    version.ExtendedMenuItems = version.Above40;
    version.Vista = version.Nt && majorVersion >= 6;
    version.NewerNotifyIcons = version.Nt ? majorVersion >= 5 : majorVersion > 4 || (majorVersion == 4 && minorVersion >= 90);
    return version;
}

}  // namespace pavlune
