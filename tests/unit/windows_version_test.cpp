// The facts the program derives from the version record of the running Windows.
#include "common/windows_version.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

TEST(WindowsVersion, FactsOfEachVersionRecord) {
    struct Case {
        const char* label;
        unsigned long platformId, major, minor;
        bool nt, windows95, above40, extendedMenuItems, vista;
    };
    const Case cases[] = {
        {"Windows 95", 1, 4, 0, false, true, false, false, false},
        {"Windows 98", 1, 4, 10, false, false, true, true, false},
        {"Windows Me", 1, 4, 90, false, false, true, true, false},
        {"NT4: minor 0 says nothing on the NT line", 2, 4, 0, true, false, false, false, false},
        {"2000", 2, 5, 0, true, false, true, true, false},
        {"XP", 2, 5, 1, true, false, true, true, false},
        {"Vista", 2, 6, 0, true, false, true, true, true},
        {"an unknown platform id 6.0 is no Vista", 1, 6, 0, false, true, true, true, false},
        {"10", 2, 10, 0, true, false, true, true, true},
        {"Win32s and anything unknown count as the 9x line", 0, 3, 10, false, false, false, false, false},
        {"an unknown platform id", 3, 4, 0, false, true, false, false, false},
    };
    for (const Case& c : cases) {
        WindowsVersion version = MakeWindowsVersion(c.platformId, c.major, c.minor);
        EXPECT_EQ(version.Nt, c.nt) << c.label;
        EXPECT_EQ(version.Windows95, c.windows95) << c.label;
        EXPECT_EQ(version.Above40, c.above40) << c.label;
        EXPECT_EQ(version.ExtendedMenuItems, c.extendedMenuItems) << c.label;
        EXPECT_EQ(version.Vista, c.vista) << c.label;
    }
}

}  // namespace
}  // namespace pavlune
