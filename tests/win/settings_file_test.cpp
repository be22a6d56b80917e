// The settings file against the real private-profile functions.
#include "app/settings_file.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "win_test_support.h"

namespace pavlune {
namespace {

using test::ReadFileBytes;
using test::ScratchFolder;
using test::WriteFileBytes;

TEST(SettingsFile, MissingFileGivesTheDefaults) {
    ScratchFolder folder;
    SettingsFile settings(folder.Path("Pavlune.INI"));
    EXPECT_TRUE(settings.ReadBoolean("KIND", true));
    EXPECT_FALSE(settings.ReadBoolean("SortString", false));
    EXPECT_EQ(settings.ReadText("PasswordEnabled", "2"), "2");
    EXPECT_EQ(settings.ReadText("MyName", ""), "");
    EXPECT_FALSE(settings.HasKey("MyName"));
}

TEST(SettingsFile, ReadsBooleansByTheIntegerRules) {
    ScratchFolder folder;
    std::string path = folder.Path("Pavlune.INI");
    WriteFileBytes(path,
                   "[pavlune settings]\r\nkind=0\r\nAutoReload=abc\r\nSortString=$1\r\nSaveString=0x0\r\n"
                   "SaverDisabled=\r\nScreenSaveJack=-3\r\n");
    SettingsFile settings(path);
    EXPECT_FALSE(settings.ReadBoolean("KIND", true)) << "section and key names ignore letter case";
    EXPECT_TRUE(settings.ReadBoolean("AutoReload", true)) << "text that is no number gives the default";
    EXPECT_FALSE(settings.ReadBoolean("AutoReload", false));
    EXPECT_TRUE(settings.ReadBoolean("SortString", false));
    EXPECT_FALSE(settings.ReadBoolean("SaveString", true));
    EXPECT_TRUE(settings.ReadBoolean("SaverDisabled", true)) << "an empty value gives the default";
    EXPECT_TRUE(settings.HasKey("saverdisabled") && settings.HasKey("kind") && settings.HasKey("ScreenSaveJack"));
    EXPECT_TRUE(settings.ReadBoolean("ScreenSaveJack", false));
}

TEST(SettingsFile, ReadsTextsUpTo2047Bytes) {
    ScratchFolder folder;
    std::string path = folder.Path("Pavlune.INI");
    std::string longName(3000, 'a');
    WriteFileBytes(path, "[Pavlune Settings]\r\nMyName=山田\\営業部\\一課\r\nPasswordEnabled=" + longName + "\r\n");
    SettingsFile settings(path);
    EXPECT_EQ(settings.ReadText("MyName", ""), "山田\\営業部\\一課");
    EXPECT_EQ(settings.ReadText("PasswordEnabled", "2"), std::string(2047, 'a'));
}

TEST(SettingsFile, WritesKeysInOrderAndLeavesTheRestAlone) {
    ScratchFolder folder;
    std::string path = folder.Path("Pavlune.INI");
    WriteFileBytes(path, "[Other]\r\nx=1\r\n[Pavlune Settings]\r\nMyName=佐藤\\総務\r\nKIND=0\r\n");
    SettingsFile settings(path);
    settings.WriteBoolean("KIND", true);
    settings.WriteBoolean("AutoReload", false);
    settings.WriteBoolean("SortString", true);
    EXPECT_EQ(ReadFileBytes(path),
              "[Other]\r\nx=1\r\n[Pavlune Settings]\r\nMyName=佐藤\\総務\r\nKIND=1\r\nAutoReload=0\r\nSortString=1\r\n");
}

TEST(SettingsFile, FirstWriteCreatesTheFile) {
    ScratchFolder folder;
    std::string path = folder.Path("Other.INI");
    SettingsFile settings(path);
    settings.WriteBoolean("KIND", true);
    EXPECT_EQ(ReadFileBytes(path), "[Pavlune Settings]\r\nKIND=1\r\n");
}

TEST(SettingsFile, RefusedWriteNamesTheFile) {
    ScratchFolder folder;
    std::string path = folder.Path("missing folder\\Pavlune.INI");
    SettingsFile settings(path);
    try {
        settings.WriteBoolean("KIND", true);
        FAIL() << "the write into a missing folder succeeded";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), path + " に書き込めません");
    }
}

TEST(SettingsFile, ReadOnlyFileIsRefused) {
    ScratchFolder folder;
    std::string path = folder.Path("Pavlune.INI");
    WriteFileBytes(path, "[Pavlune Settings]\r\nKIND=1\r\n");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    SettingsFile settings(path);
    EXPECT_THROW(settings.WriteBoolean("KIND", false), Error);
    EXPECT_EQ(ReadFileBytes(path), "[Pavlune Settings]\r\nKIND=1\r\n");
}

}  // namespace
}  // namespace pavlune
