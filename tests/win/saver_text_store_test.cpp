// The saver text store against the real registry, CONTROL.INI and system
// directory. The program runs once per Windows line, each time in a prefix
// set to that version (PAVLUNE_WINE_VERSION names it); the tests of the
// other line skip themselves.
#include "saver/saver_text_store.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/command_menu.h"
#include "common/error.h"
#include "saver/saver_kind.h"
#include "saver/three_d_text_display.h"
#include "win/win_util.h"
#include "win_test_support.h"

namespace pavlune {
namespace {

using test::FileExists;
using test::ReadFileBytes;
using test::WriteFileBytes;

// What each prefix version must look like to the program.
struct LineFacts {
    const char* version;
    DWORD platformId;
    DWORD majorVersion;
    DWORD minorVersion;
    const char* marqueeSettingsName;
    const char* marqueeFileBaseName;
    const char* threeDFileBaseName;
    const char* threeDSaverFile;
};

const LineFacts kLines[] = {
    {"win95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, "伝言板", "伝言板", "3D ﾃｷｽﾄ (OpenGL)", "3D ﾃｷｽﾄ (OpenGL).scr"},
    {"win98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, "伝言板", "伝言板", "3D テキスト (OpenGL)",
     "3D テキスト (OpenGL).scr"},
    {"winxp", VER_PLATFORM_WIN32_NT, 5, 1, "Marquee", "ssmarque", "sstext3d", "sstext3d.scr"},
    // Windows 10 tells a program without a compatibility manifest 6.2.
    {"win10", VER_PLATFORM_WIN32_NT, 6, 2, "Marquee", "ssmarque", "sstext3d", "sstext3d.scr"},
};

// The facts of the prefix this run is in; nullptr when the run names none.
const LineFacts* ThisLine() { return test::FactsOfThisPrefix(kLines); }

TEST(ReportedWindows, IsTheVersionThePrefixIsSetTo) {
    const LineFacts* line = ThisLine();
    ASSERT_NE(line, nullptr) << "PAVLUNE_WINE_VERSION names no known version: \"" << test::Environment("PAVLUNE_WINE_VERSION") << "\"";
    OSVERSIONINFOA info = test::ReportedVersion();
    EXPECT_EQ(info.dwPlatformId, line->platformId);
    EXPECT_EQ(info.dwMajorVersion, line->majorVersion);
    EXPECT_EQ(info.dwMinorVersion, line->minorVersion);
}

class SaverTextStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        line_ = ThisLine();
        if (line_ == nullptr) GTEST_SKIP() << "no prefix version named";
    }

    bool Nt() const { return version_.Nt; }
    void ChooseMarquee() { RMenuDengonClick(menu_); }
    void Choose3DText() { RMenu3DClick(menu_); }

    const LineFacts* line_ = nullptr;
    WindowsVersion version_ = ReadWindowsVersion();
    PopupMenuModel menu_ = BuildCommandMenu();
    SaverTextStore store_{version_, menu_};
};

// ---- Names and the installed check, on every line ----

TEST_F(SaverTextStoreTest, NamesFollowTheCheckedKind) {
    ChooseMarquee();
    EXPECT_EQ(store_.GetSaverName(kSaverSettingsName), line_->marqueeSettingsName);
    EXPECT_EQ(store_.GetSaverName(kSaverFileBaseName), line_->marqueeFileBaseName);
    Choose3DText();
    EXPECT_EQ(store_.GetSaverName(kSaverSettingsName), "3DText");
    EXPECT_EQ(store_.GetSaverName(kSaverFileBaseName), line_->threeDFileBaseName);
    ChooseMarquee();
    EXPECT_EQ(store_.GetSaverName(kSaverSettingsName), line_->marqueeSettingsName);
}

// Files put into the system directory by a test, removed with it.
class SystemFiles {
public:
    ~SystemFiles() {
        for (const std::string& path : paths_) DeleteFileA(path.c_str());
    }
    void Create(const std::string& name) {
        std::string path = test::SystemDirectory() + "\\" + name;
        WriteFileBytes(path, "");
        paths_.push_back(path);
    }
    void Remove(const std::string& name) { DeleteFileA((test::SystemDirectory() + "\\" + name).c_str()); }

private:
    std::vector<std::string> paths_;
};

TEST_F(SaverTextStoreTest, ThreeDTextSaverInstalledOnlyUnderThisLinesName) {
    SystemFiles files;
    ASSERT_FALSE(FileExists(test::SystemDirectory() + "\\" + line_->threeDSaverFile)) << "the prefix has it already";
    Choose3DText();
    EXPECT_FALSE(store_.Is3DTextSaverInstalled());

    for (const LineFacts& other : kLines) {
        if (std::string(other.threeDSaverFile) != line_->threeDSaverFile) files.Create(other.threeDSaverFile);
    }
    files.Create("ssmarque.scr");
    files.Create("伝言板.SCR");
    EXPECT_FALSE(store_.Is3DTextSaverInstalled()) << "another line's or another saver's file counts";

    files.Create(line_->threeDSaverFile);
    EXPECT_TRUE(store_.Is3DTextSaverInstalled());
    ChooseMarquee();
    EXPECT_TRUE(store_.Is3DTextSaverInstalled()) << "the checked kind does not matter";

    files.Remove(line_->threeDSaverFile);
    EXPECT_FALSE(store_.Is3DTextSaverInstalled());
}

// ---- NT line: the registry ----

const char kSaverKeys[] = "Control Panel\\Screen Saver.";

struct StoredValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::string data;  // the stored bytes, a terminating zero included
    bool operator==(const StoredValue&) const = default;
};

class NtSaverTextStore : public SaverTextStoreTest {
protected:
    void SetUp() override {
        SaverTextStoreTest::SetUp();
        if (IsSkipped()) return;
        if (!Nt()) GTEST_SKIP() << "NT line only";
        DeleteKeys();
    }
    void TearDown() override {
        if (Nt()) DeleteKeys();
    }

    static void DeleteKeys() {
        for (const char* name : {"Marquee", "3DText"}) {
            RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kSaverKeys) + name).c_str());
        }
    }

    static bool KeyExists(const std::string& settingsName) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, (kSaverKeys + settingsName).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }

    static void CreateKey(const std::string& settingsName) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (kSaverKeys + settingsName).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    // Stores bytes as they are: no terminating zero is added.
    static void SetValue(const std::string& settingsName, const char* valueName, DWORD type, const std::string& data) {
        SetValueAt(kSaverKeys + settingsName, valueName, type, data);
    }
    static void SetValueAt(const std::string& keyPath, const char* valueName, DWORD type, const std::string& data) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        LONG status = RegSetValueExA(key, valueName, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                     static_cast<DWORD>(data.size()));
        RegCloseKey(key);
        ASSERT_EQ(status, ERROR_SUCCESS);
    }
    static void SetString(const std::string& settingsName, const char* valueName, const std::string& text) {
        SetValue(settingsName, valueName, REG_SZ, text + '\0');
    }

    static StoredValue GetValue(const std::string& settingsName, const char* valueName) {
        return GetValueAt(kSaverKeys + settingsName, valueName);
    }
    static StoredValue GetValueAt(const std::string& keyPath, const char* valueName) {
        StoredValue value;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return value;
        }
        DWORD size = 0;
        if (RegQueryValueExA(key, valueName, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
            value.exists = true;
            value.data.resize(size);
            RegQueryValueExA(key, valueName, nullptr, &value.type, reinterpret_cast<BYTE*>(value.data.data()), &size);
            value.data.resize(size);
        }
        RegCloseKey(key);
        return value;
    }

    static void ExpectString(const std::string& settingsName, const char* valueName, const std::string& text) {
        StoredValue value = GetValue(settingsName, valueName);
        EXPECT_TRUE(value.exists) << settingsName << " " << valueName;
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ)) << settingsName << " " << valueName;
        EXPECT_EQ(value.data, text + '\0') << settingsName << " " << valueName;
    }
};

TEST_F(NtSaverTextStore, MarqueeTextExchangedInItsKey) {
    ChooseMarquee();
    SetString("Marquee", "Text", "会議中です");
    SetString("Marquee", "Other", "そのまま");

    EXPECT_EQ(store_.ExchangeSaverText("Marquee", "外出中（表示ソフト）"), "会議中です");
    ExpectString("Marquee", "Text", "外出中（表示ソフト）");
    ExpectString("Marquee", "Other", "そのまま");
    EXPECT_FALSE(KeyExists("3DText"));

    EXPECT_EQ(store_.ExchangeSaverText("Marquee", "会議中です"), "外出中（表示ソフト）");
    ExpectString("Marquee", "Text", "会議中です");
}

TEST_F(NtSaverTextStore, MissingValueReadsAsEmptyAndIsWritten) {
    ChooseMarquee();
    CreateKey("Marquee");
    EXPECT_EQ(store_.ExchangeSaverText("Marquee", "昼食中"), "");
    ExpectString("Marquee", "Text", "昼食中");
}

TEST_F(NtSaverTextStore, EmptyTextIsStoredAsAnEmptyString) {
    ChooseMarquee();
    SetString("Marquee", "Text", "帰宅しました");
    EXPECT_EQ(store_.ExchangeSaverText("Marquee", ""), "帰宅しました");
    ExpectString("Marquee", "Text", "");
    EXPECT_EQ(store_.ExchangeSaverText("Marquee", "帰宅しました"), "");
}

TEST_F(NtSaverTextStore, AbsentThreeDTextKeyIsNeitherCreatedNorReported) {
    Choose3DText();
    EXPECT_EQ(store_.ExchangeSaverText("3DText", "会議中です"), "");
    EXPECT_EQ(store_.ExchangeSaverDemoType("3DText", "0"), "");
    EXPECT_FALSE(KeyExists("3DText"));
}

TEST_F(NtSaverTextStore, AbsentMarqueeKeyIsCreatedWithTheText) {
    // A fresh profile: the message saver must still find the message.
    ChooseMarquee();
    EXPECT_EQ(store_.ExchangeSaverText("Marquee", "会議中です"), "");
    ExpectString("Marquee", "Text", "会議中です");
    EXPECT_EQ(store_.ExchangeSaverDemoType("Marquee", "0"), "0");
    EXPECT_FALSE(GetValue("Marquee", "DemoType").exists);
    EXPECT_FALSE(KeyExists("3DText"));
}

TEST_F(NtSaverTextStore, ValueOfAnotherTypeIsAFailedRead) {
    struct Case {
        const char* label;
        DWORD type;
        std::string data;
    };
    const Case cases[] = {
        {"REG_DWORD", REG_DWORD, std::string("\x07\x00\x00\x00", 4)},
        {"REG_BINARY", REG_BINARY, std::string("abc\0", 4)},
        {"REG_MULTI_SZ", REG_MULTI_SZ, std::string("abc\0def\0\0", 9)},
    };
    Choose3DText();
    for (const Case& c : cases) {
        SetValue("3DText", "Text", c.type, c.data);
        SetValue("3DText", "DemoType", c.type, c.data);

        EXPECT_EQ(store_.ExchangeSaverText("3DText", "会議中です"), "") << c.label;
        EXPECT_EQ(store_.ExchangeSaverDemoType("3DText", "0"), "") << c.label;

        for (const char* valueName : {"Text", "DemoType"}) {
            StoredValue value = GetValue("3DText", valueName);
            EXPECT_EQ(value.type, c.type) << c.label << " " << valueName << " was overwritten";
            EXPECT_EQ(value.data, c.data) << c.label << " " << valueName << " was overwritten";
        }
    }
}

TEST_F(NtSaverTextStore, ExpandableStringReadsAsStored) {
    ChooseMarquee();
    SetValue("Marquee", "Text", REG_EXPAND_SZ, std::string("%TEMP%\\伝言\0", 12));
    EXPECT_EQ(store_.ExchangeSaverText("Marquee", "会議中です"), "%TEMP%\\伝言");
    ExpectString("Marquee", "Text", "会議中です");
}

TEST_F(NtSaverTextStore, TextEndsAtItsFirstZero) {
    ChooseMarquee();
    SetValue("Marquee", "Text", REG_SZ, std::string("会議中\0メモ\0", 12));
    EXPECT_EQ(store_.ExchangeSaverText("Marquee", "外出中"), "会議中");
    ExpectString("Marquee", "Text", "外出中");
}

TEST_F(NtSaverTextStore, ThreeDTextWrittenWholeWithItsDemoType) {
    Choose3DText();
    SetString("3DText", "Text", "前の文字");
    SetString("3DText", "DemoType", "2");
    const std::string message = "ただいま会議中です。午後三時に戻ります。内線は１２３４です。";

    EXPECT_EQ(store_.ExchangeSaverText("3DText", message), "前の文字");
    EXPECT_EQ(store_.ExchangeSaverDemoType("3DText", "0"), "2");
    ExpectString("3DText", "Text", message);
    ExpectString("3DText", "DemoType", "0");

    EXPECT_EQ(store_.ExchangeSaverText("3DText", "前の文字"), message);
    EXPECT_EQ(store_.ExchangeSaverDemoType("3DText", "2"), "0");
    ExpectString("3DText", "Text", "前の文字");
    ExpectString("3DText", "DemoType", "2");
}

TEST_F(NtSaverTextStore, MarqueeHasNoDemoType) {
    ChooseMarquee();
    CreateKey("Marquee");
    SetString("3DText", "DemoType", "2");
    EXPECT_EQ(store_.ExchangeSaverDemoType("Marquee", "5"), "0");
    EXPECT_EQ(store_.ExchangeSaverDemoType("3DText", "5"), "0");
    EXPECT_FALSE(GetValue("Marquee", "DemoType").exists);
    ExpectString("3DText", "DemoType", "2");
}

// Vista and later: the 3D Text saver shows "DisplayString" when
// "DisplayTime" is 0, under a key of its own, and gets back what it had.
// Byte for byte, at the close or the next start after a kill, and once more
// after the registry refused them. The two values are one setting: once the
// user changed either (between two messages, or before the close), both are the user's.
TEST_F(NtSaverTextStore, ThreeDTextOfVistaShowsTheMessageAndGetsItsValuesBack) {
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Screensavers\\ssText3d";
    auto wide = [](std::wstring t) { return std::string(reinterpret_cast<char*>(t.data()), 2 * t.size() + 2); };
    auto setText = [&](DWORD type, const std::string& bytes) {
        HKEY opened = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
        RegSetValueExW(opened, L"DisplayString", 0, type, reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
        RegCloseKey(opened);
    };
    auto getText = [&] {  // as stored, in UTF-16
        std::string bytes(256, '\0');
        DWORD size = 0, type = 0;
        HKEY opened = nullptr;
        RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened);
        const bool found = !RegQueryValueExW(opened, L"DisplayString", nullptr, &type, nullptr, &size);
        RegQueryValueExW(opened, L"DisplayString", nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
        RegCloseKey(opened);
        return StoredValue{found, type, bytes.substr(0, found ? size : 0)};
    };
    const std::string users = wide(L"Café ☕ 会議 🙂"), changed = wide(L"Ünïcode ✓"), message = wide(L"会議中");
    test::ScratchFolder folder;
    auto protect = [&](const char* access) {  // the key's rights for everybody
        HKEY opened = nullptr;
        PSECURITY_DESCRIPTOR rights = nullptr;
        RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, READ_CONTROL | WRITE_DAC, &opened);
        ConvertStringSecurityDescriptorToSecurityDescriptorA(access, SDDL_REVISION_1, &rights, nullptr);
        EXPECT_EQ(RegSetKeySecurity(opened, DACL_SECURITY_INFORMATION, rights), ERROR_SUCCESS);
        LocalFree(rights);
        RegCloseKey(opened);
    };
    enum Road { kClose, kKill, kUserChanges, kUserChangesBetweenMessages, kRefused, kRoads };
    // Before: no key; a key without the two values; the user's own values. Each by every road.
    for (int run = 0; run < 3 * kRoads; ++run) {
        const int before = run / kRoads;
        const Road road = static_cast<Road>(run % kRoads);
        SCOPED_TRACE(run);
        RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
        if (before > 0) SetValueAt(key, "Other", REG_SZ, std::string("x\0", 2));
        if (before > 1) setText(REG_EXPAND_SZ, users);
        if (before > 1) SetValueAt(key, "DisplayTime", REG_DWORD, std::string("\1\0\0\0", 4));
        const StoredValue text = getText(), time = GetValueAt(key, "DisplayTime");
        auto display = std::make_unique<ThreeDTextDisplay>(version_, menu_, folder.Path("Pavlune.INI"));
        ChooseMarquee();
        display->Show("帰宅");
        Choose3DText();
        display->Show("帰宅");
        display->Show("会議中");
        EXPECT_EQ(getText().data, version_.Vista ? message : text.data) << "written from Vista on only";
        if (version_.Vista) {
            EXPECT_EQ(GetValueAt(key, "DisplayTime"), (StoredValue{true, REG_DWORD, std::string(4, '\0')}));
        }
        const bool userChanges = road == kUserChanges || road == kUserChangesBetweenMessages;
        if (userChanges) setText(REG_SZ, changed);
        if (road == kUserChangesBetweenMessages) display->Show("帰宅");
        if (road == kRefused && version_.Vista) {
            protect("D:P(A;;KR;;;WD)");
            display->Restore();
            EXPECT_EQ(getText().data, message) << "refused";
            EXPECT_NE(test::ReadFileBytes(folder.Path("Pavlune.INI")), "") << "kept for later";
            protect("D:P(A;;KA;;;WD)");
        }
        if (road != kClose) display = std::make_unique<ThreeDTextDisplay>(version_, menu_, folder.Path("Pavlune.INI"));
        display->Restore();
        EXPECT_EQ(getText(), userChanges ? (StoredValue{true, REG_SZ, changed}) : text);
        EXPECT_EQ(GetValueAt(key, "DisplayTime"),
                  (userChanges && version_.Vista ? StoredValue{true, REG_DWORD, std::string(4, '\0')} : time));
        EXPECT_EQ(GetValueAt(key, "Other").exists, before > 0);
        HKEY left = nullptr;  // a key made for the message goes again, once nothing else is in it
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &left) == ERROR_SUCCESS,
                  before > 0 || userChanges);
        RegCloseKey(left);
        EXPECT_EQ(test::ReadFileBytes(folder.Path("Pavlune.INI")), "") << "the kept values are forgotten";
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

// ---- 9x line: CONTROL.INI in the Windows directory ----

class NineXSaverTextStore : public SaverTextStoreTest {
protected:
    void SetUp() override {
        SaverTextStoreTest::SetUp();
        if (IsSkipped()) return;
        if (Nt()) GTEST_SKIP() << "9x line only";
        controlIni_ = test::WindowsDirectory() + "\\CONTROL.INI";
        DeleteFileA(controlIni_.c_str());
    }
    void TearDown() override {
        if (!controlIni_.empty()) DeleteFileA(controlIni_.c_str());
    }

    // A key's value, or "<none>" when the key is absent.
    std::string Value(const std::string& section, const char* key) const {
        char buffer[4096] = {};
        GetPrivateProfileStringA(section.c_str(), key, "<none>", buffer, sizeof buffer, controlIni_.c_str());
        return buffer;
    }

    std::string controlIni_;
};

TEST_F(NineXSaverTextStore, MarqueeTextExchangedInItsSection) {
    ChooseMarquee();
    WriteFileBytes(controlIni_, "[Screen Saver.伝言板]\r\nText=会議中です\r\n");

    EXPECT_EQ(store_.ExchangeSaverText("伝言板", "外出中（表示ソフト）"), "会議中です");
    EXPECT_EQ(ReadFileBytes(controlIni_), "[Screen Saver.伝言板]\r\nText=外出中（表示ソフト）\r\n");

    EXPECT_EQ(store_.ExchangeSaverText("伝言板", "会議中です"), "外出中（表示ソフト）");
    EXPECT_EQ(ReadFileBytes(controlIni_), "[Screen Saver.伝言板]\r\nText=会議中です\r\n");
}

TEST_F(NineXSaverTextStore, MissingFileReadsAsEmptyAndIsCreated) {
    ChooseMarquee();
    EXPECT_EQ(store_.ExchangeSaverText("伝言板", "昼食中"), "");
    EXPECT_EQ(Value("Screen Saver.伝言板", "Text"), "昼食中");
}

TEST_F(NineXSaverTextStore, OtherSectionsAndKeysStay) {
    Choose3DText();
    WriteFileBytes(controlIni_,
                   "[Screen Saver.伝言板]\r\nText=伝言板の文字\r\n"
                   "[Screen Saver.3DText]\r\nSize=10\r\nText=前\r\n[Patterns]\r\nBoxes=127 65 65\r\n");
    EXPECT_EQ(store_.ExchangeSaverText("3DText", "会議中"), "前");
    EXPECT_EQ(ReadFileBytes(controlIni_),
              "[Screen Saver.伝言板]\r\nText=伝言板の文字\r\n"
              "[Screen Saver.3DText]\r\nSize=10\r\nText=会議中\r\n[Patterns]\r\nBoxes=127 65 65\r\n");
}

TEST_F(NineXSaverTextStore, PreviousTextReadUpTo2047Bytes) {
    ChooseMarquee();
    WriteFileBytes(controlIni_, "[Screen Saver.伝言板]\r\nText=" + std::string(3000, 'a') + "\r\n");
    EXPECT_EQ(store_.ExchangeSaverText("伝言板", "会議中"), std::string(2047, 'a'));
}

TEST_F(NineXSaverTextStore, ThreeDTextCutTo16Bytes) {
    const std::string ascii15(15, 'a');
    const std::string ascii14(14, 'a');
    struct Case {
        const char* label;
        std::string text;
        std::string stored;
    };
    const Case cases[] = {
        {"16 bytes", "会議中です。戻り", "会議中です。戻り"},
        {"17 single bytes", ascii15 + "bc", ascii15 + "b"},
        {"16th byte begins a two-byte character", ascii15 + "伝", ascii15},
        {"16th byte is the second byte of ャ (0x83 0x83)", ascii14 + "ャb", ascii14 + "ャ"},
        {"long message", "ただいま会議中です。午後三時に戻ります。", "ただいま会議中で"},
    };
    Choose3DText();
    for (const Case& c : cases) {
        store_.ExchangeSaverText("3DText", c.text);
        EXPECT_EQ(Value("Screen Saver.3DText", "Text"), c.stored) << c.label;
    }
}

TEST_F(NineXSaverTextStore, ThreeDTextPutBackIsCutToo) {
    Choose3DText();
    const std::string previous = "午後三時に戻ります。";  // 20 bytes, written by someone else
    WriteFileBytes(controlIni_, "[Screen Saver.3DText]\r\nText=" + previous + "\r\n");
    EXPECT_EQ(store_.ExchangeSaverText("3DText", "会議中"), previous) << "the read is never cut";
    EXPECT_EQ(store_.ExchangeSaverText("3DText", previous), "会議中");
    EXPECT_EQ(Value("Screen Saver.3DText", "Text"), "午後三時に戻りま");
}

TEST_F(NineXSaverTextStore, MarqueeTextWrittenWholeAndKindReadAtEachCall) {
    const std::string message = "ただいま会議中です。午後三時に戻ります。";
    ChooseMarquee();
    store_.ExchangeSaverText("伝言板", message);
    EXPECT_EQ(Value("Screen Saver.伝言板", "Text"), message);
    Choose3DText();
    store_.ExchangeSaverText("伝言板", message);
    EXPECT_EQ(Value("Screen Saver.伝言板", "Text"), "ただいま会議中で");
    ChooseMarquee();
    store_.ExchangeSaverText("伝言板", message);
    EXPECT_EQ(Value("Screen Saver.伝言板", "Text"), message);
}

TEST_F(NineXSaverTextStore, DemoTypeOf3DTextExchangedWithoutCut) {
    Choose3DText();
    WriteFileBytes(controlIni_, "[Screen Saver.3DText]\r\nText=前\r\nDemoType=2\r\n");
    EXPECT_EQ(store_.ExchangeSaverDemoType("3DText", "0"), "2");
    EXPECT_EQ(ReadFileBytes(controlIni_), "[Screen Saver.3DText]\r\nText=前\r\nDemoType=0\r\n");

    const std::string longValue(20, '7');
    EXPECT_EQ(store_.ExchangeSaverDemoType("3DText", longValue), "0");
    EXPECT_EQ(Value("Screen Saver.3DText", "DemoType"), longValue);
}

TEST_F(NineXSaverTextStore, MissingDemoTypeReadsAsEmpty) {
    Choose3DText();
    EXPECT_EQ(store_.ExchangeSaverDemoType("3DText", "0"), "");
    EXPECT_EQ(Value("Screen Saver.3DText", "DemoType"), "0");
}

TEST_F(NineXSaverTextStore, MarqueeHasNoDemoType) {
    ChooseMarquee();
    EXPECT_EQ(store_.ExchangeSaverDemoType("伝言板", "5"), "0");
    EXPECT_FALSE(FileExists(controlIni_)) << "nothing may be written";

    const std::string contents = "[Screen Saver.3DText]\r\nDemoType=2\r\n";
    WriteFileBytes(controlIni_, contents);
    EXPECT_EQ(store_.ExchangeSaverDemoType("3DText", "5"), "0");
    EXPECT_EQ(ReadFileBytes(controlIni_), contents);
}

TEST_F(NineXSaverTextStore, RefusedWriteRaisesTheError) {
    // A folder in the place of the file makes every write fail.
    ASSERT_TRUE(CreateDirectoryA(controlIni_.c_str(), nullptr));
    struct RemoveFolder {
        std::string path;
        ~RemoveFolder() { RemoveDirectoryA(path.c_str()); }
    } removeFolder{controlIni_};

    Choose3DText();
    for (bool demoType : {false, true}) {
        try {
            if (demoType) store_.ExchangeSaverDemoType("3DText", "0");
            else store_.ExchangeSaverText("3DText", "会議中");
            ADD_FAILURE() << (demoType ? "DemoType" : "Text") << " was written";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "CONTROL.INI に書き込めません");
        }
    }
}

}  // namespace
}  // namespace pavlune
