// The program's own files beside the executable: the extension is that of
// the file name, and the folder ends at the last real backslash.
#include "common/paths.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

TEST(ChangeFileExt, ReplacesTheNamesExtension) {
    struct Case {
        const char* path;
        const char* extension;
        const char* changed;
    };
    const Case cases[] = {
        {"C:\\Tools\\Pavlune.exe", ".INI", "C:\\Tools\\Pavlune.INI"},
        {"C:\\Tools\\Pavlune.exe", ".TXT", "C:\\Tools\\Pavlune.TXT"},
        {"C:\\Tools\\Other.exe", ".INI", "C:\\Tools\\Other.INI"},
        {"C:\\Tools\\Pavlune", ".INI", "C:\\Tools\\Pavlune.INI"},
        {"C:\\Tools\\a.b.exe", ".INI", "C:\\Tools\\a.b.INI"},
        {"C:\\v1.2\\Pavlune", ".INI", "C:\\v1.2\\Pavlune.INI"},       // dot in a folder
        {"C:\\v1.2\\Pavlune.exe", ".INI", "C:\\v1.2\\Pavlune.INI"},
        {"C:\\表示\\Pavlune.exe", ".INI", "C:\\表示\\Pavlune.INI"},
        {"C:\\伝言.表", ".INI", "C:\\伝言.INI"},                      // 表's 0x5C is no folder end
        {"C:\\ソ.d\\ソフト", ".TXT", "C:\\ソ.d\\ソフト.TXT"},
        {"C:Pavlune.exe", ".INI", "C:Pavlune.INI"},
        {"Pavlune.exe", ".INI", "Pavlune.INI"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChangeFileExt(c.path, c.extension), c.changed) << c.path;
    }
}

TEST(ExtractFilePath, FolderWithItsBackslash) {
    struct Case {
        const char* path;
        const char* folder;
    };
    const Case cases[] = {
        {"C:\\Tools\\Pavlune.exe", "C:\\Tools\\"},
        {"C:\\Pavlune.exe", "C:\\"},
        {"C:Pavlune.exe", "C:"},
        {"Pavlune.exe", ""},
        {"C:\\表示\\Pavlune.exe", "C:\\表示\\"},
        {"C:\\Tools\\一覧表", "C:\\Tools\\"},   // ends in 0x95 0x5C
        {"\\\\server\\share\\ソ.exe", "\\\\server\\share\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtractFilePath(c.path), c.folder) << c.path;
    }
}

TEST(WatchedFolder, LosesItsTrailingBackslashExceptAtADrivesRoot) {
    struct Case {
        const char* path;
        const char* folder;
    };
    const Case cases[] = {
        {"C:\\Tools\\Pavlune.exe", "C:\\Tools"},
        {"C:\\Pavlune.exe", "C:\\"},
        {"C:\\表\\Pavlune.exe", "C:\\表"},  // 表 ends in 0x5C: only the real backslash goes
        {"\\\\server\\share\\USER.DAT", "\\\\server\\share"},
        {"C:Pavlune.exe", "C:"},
        {"USER.DAT", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WatchedFolder(c.path), c.folder) << c.path;
    }
}

}  // namespace
}  // namespace pavlune
