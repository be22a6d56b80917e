// Start-up and shut-down of the main window against the real system, with
// message boxes scripted.
#include "app/main_form.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <tuple>

#include "about/about_box.h"
#include "lan/presence.h"
#include "raw_socket.h"
#include "saver/screen_saver_active.h"
#include "win/files.h"
#include "win/win_util.h"
#include "win_test_support.h"

namespace pavlune {
namespace {

using test::FileExists;
using test::PumpFor;
using test::PumpMessages;
using test::ReadFileBytes;
using test::ScratchFolder;
using test::ScriptedDialogs;
using test::WriteFileBytes;

// A definition line with an entry icon.
std::string IconLine(const std::string& icon, const char* caption) {
    std::string line = "$";
    line.append(icon).append("$").append(caption).append("\r\n");
    return line;
}

constexpr const char* kMenu = "#在席\r\n会議中\r\n@外出\r\n帰宅\\本日は帰宅しました\r\n";
// What an exit writes with the options as a first start finds them.
constexpr const char* kOptionKeys =
    "KIND=1\r\nAutoReload=1\r\nSortString=0\r\nSaveString=1\r\nSaverDisabled=0\r\nScreenSaveJack=0\r\nBackAtDesk=1\r\n";

// A notification area not ready yet refuses the first adds. What reached it, and the record's size:
struct LateShell : NotifyArea {
    int Refused = 0;
    std::vector<DWORD> Calls;
    DWORD Size = 0;
    bool Notify(DWORD message, NOTIFYICONDATAA& record) override {
        Calls.push_back(message);
        Size = record.cbSize;
        return !(message == NIM_ADD && Refused-- > 0) && SystemNotifyArea::Instance().Notify(message, record);
    }
};

// The menus that the icon's messages open (M the message menu, C the command menu), each closed
// as soon as it shows. A 0 lets the program handle the messages before it.
std::string MenusOpenedBy(HWND form, const std::string& commandFirst, const std::vector<UINT>& messages) {
    static std::string opened;
    opened = commandFirst;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        for (HWND menu = nullptr; (menu = FindWindowExA(nullptr, menu, "#32768", nullptr));) {
            char first[128] = "";
            HMENU shown = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
            if (!IsWindowVisible(menu) || !GetMenuStringA(shown, 0, first, sizeof first, MF_BYPOSITION)) continue;
            opened += opened.starts_with(first) ? "\tC" : "\tM";
            EndMenu();
        }
    });
    for (UINT message : messages) message ? void(PostMessageA(form, WM_TRAY_NOTIFY, kTrayIconId, message)) : PumpFor(300);
    PumpFor(300);
    KillTimer(nullptr, timer);
    return opened.substr(commandFirst.size());
}

class MainFormTest : public ::testing::Test {
protected:
    // A system without any screen saver says so at each start; these tests
    // run on one that has a saver (this program under a saver's name).
    static void SetUpTestSuite() {
        RegisterMainFormClass(GetModuleHandleA(nullptr));
        CopyFileA(ModuleFileName().c_str(), SaverPath().c_str(), FALSE);
    }
    static void TearDownTestSuite() { DeleteFileA(SaverPath().c_str()); }
    static std::string SaverPath() {
        char folder[MAX_PATH] = "";
        GetSystemDirectoryA(folder, MAX_PATH);
        return std::string(folder) + "\\pvtest.scr";
    }

    void SetUp() override { WriteScreenSaverActive(true); }

    std::string Path(const char* name) const { return folder_.Path(name); }

    void Start(const char* exeName = "Pavlune.exe") {
        form_ = std::make_unique<TPavluneMainForm>(
            TPavluneMainForm::Context{GetModuleHandleA(nullptr), Path(exeName), dialogs_, dialogs_, shell_});
    }

    // The way the program ends: the loop stops on WM_QUIT, then the last
    // shut-down steps and the window's destruction.
    void Finish() {
        form_->FormDestroy();
        form_.reset();
    }

    // Closes the main window as the exit command or a polite taskkill does.
    bool CloseAndPump() {
        PostMessageA(form_->Handle(), WM_CLOSE, 0, 0);
        return PumpMessages();
    }

    ScratchFolder folder_;
    ScriptedDialogs dialogs_;
    LateShell shell_;
    std::unique_ptr<TPavluneMainForm> form_;
};

TEST_F(MainFormTest, FirstStartAsksForTheNameAndWritesTheOptionKeysInOrder) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    dialogs_.NameReply = PresenceNameFields{"山田", "営業部", "第一課"};
    Start();
    EXPECT_TRUE(dialogs_.Messages.empty());
    PopupMenuModel& menu = form_->CommandMenu();
    EXPECT_TRUE(menu.IsChecked("RMenuDengon"));
    EXPECT_FALSE(menu.IsChecked("RMenu3D"));
    EXPECT_EQ(menu.Item("RMenuDengon").ImageIndex, 17);
    EXPECT_TRUE(menu.IsChecked("RMenuAutoMenuReload"));
    EXPECT_FALSE(menu.IsChecked("RMenuAutoAddStringSort"));
    EXPECT_TRUE(menu.IsChecked("RMenuAutoAddStringSave"));
    EXPECT_FALSE(menu.IsChecked("RMenuScreenSaverDisabled"));
    EXPECT_FALSE(menu.IsChecked("RMenuScreenSaverJack"));
    EXPECT_EQ(dialogs_.NamesAsked, 1);
    EXPECT_EQ(form_->MyName, "山田\\営業部\\第一課");
    EXPECT_EQ(ReadFileBytes(Path("Pavlune.INI")), "[Pavlune Settings]\r\nMyName=山田\\営業部\\第一課\r\n")
        << "start-up writes the name alone";

    EXPECT_TRUE(CloseAndPump()) << "closing ends the message loop";
    Finish();
    EXPECT_EQ(ReadFileBytes(Path("Pavlune.INI")),
              std::string("[Pavlune Settings]\r\nMyName=山田\\営業部\\第一課\r\n") + kOptionKeys);
}

// The 3D Text saver's file in the system folder, named as on the prefix's
// Windows line, while the object lives.
class Installed3DTextSaver {
public:
    Installed3DTextSaver() {
        const OSVERSIONINFOA line = test::ReportedVersion();
        path_ = test::SystemDirectory() + (line.dwPlatformId == VER_PLATFORM_WIN32_NT ? "\\sstext3d.scr"
                                           : line.dwMinorVersion == 0 ? "\\3D ﾃｷｽﾄ (OpenGL).scr"
                                                                      : "\\3D テキスト (OpenGL).scr");
        WriteFileBytes(path_, "");
    }
    ~Installed3DTextSaver() { DeleteFileA(path_.c_str()); }

private:
    std::string path_;
};

TEST_F(MainFormTest, SettingsAreAppliedAndUnknownKeysSurvive) {
    Installed3DTextSaver saver;
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    WriteFileBytes(Path("Pavlune.INI"),
                   "; notes\r\n[Pavlune Settings]\r\nMyName=山田\\営業部\r\nKIND=0\r\nAutoReload=0\r\n"
                   "SortString=$1\r\nSaveString=0x0\r\nScreenSaveJack=1\r\nPasswordEnabled=yes\r\nBackAtDesk=0\r\n"
                   "Extra=keep\r\n[Other]\r\nx=1\r\n");
    Start();
    PopupMenuModel& menu = form_->CommandMenu();
    EXPECT_TRUE(menu.IsChecked("RMenu3D"));
    EXPECT_FALSE(menu.IsChecked("RMenuDengon"));
    EXPECT_FALSE(menu.IsChecked("RMenuAutoMenuReload"));
    EXPECT_TRUE(menu.IsChecked("RMenuAutoAddStringSort"));
    EXPECT_FALSE(menu.IsChecked("RMenuAutoAddStringSave"));
    EXPECT_TRUE(menu.IsChecked("RMenuScreenSaverJack"));
    EXPECT_FALSE(menu.IsChecked("RMenuBackAtDesk"));
    EXPECT_EQ(form_->MyName, "山田\\営業部");
    EXPECT_EQ(dialogs_.NamesAsked, 0);

    CloseAndPump();
    Finish();
    EXPECT_EQ(ReadFileBytes(Path("Pavlune.INI")),
              "; notes\r\n[Pavlune Settings]\r\nMyName=山田\\営業部\r\nKIND=0\r\nAutoReload=0\r\n"
              "SortString=1\r\nSaveString=0\r\nScreenSaveJack=1\r\nPasswordEnabled=yes\r\nBackAtDesk=0\r\nExtra=keep\r\n"
              "SaverDisabled=0\r\n[Other]\r\nx=1\r\n");
}

TEST_F(MainFormTest, WithoutThe3DTextSaverTheMarqueeSaverIsChosen) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    WriteFileBytes(Path("Pavlune.INI"), "[Pavlune Settings]\r\nMyName=\r\nKIND=0\r\n");
    Start();
    PopupMenuModel& menu = form_->CommandMenu();
    EXPECT_FALSE(menu.Item("RMenu3D").Enabled);
    EXPECT_TRUE(menu.IsChecked("RMenuDengon"));
    EXPECT_FALSE(menu.IsChecked("RMenu3D"));
    EXPECT_EQ(menu.Item("RMenu3D").ImageIndex, 17) << "the pictures stay as the settings chose them";
    CloseAndPump();
    Finish();
    EXPECT_EQ(ReadFileBytes(Path("Pavlune.INI")), std::string("[Pavlune Settings]\r\nMyName=\r\n") + kOptionKeys);
}

TEST_F(MainFormTest, SaverSwitchedOffWhileRunningAndBackAtExit) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    WriteFileBytes(Path("Pavlune.INI"), "[Pavlune Settings]\r\nMyName=鈴木\\総務\r\nSaverDisabled=1\r\n");
    Start();
    EXPECT_TRUE(form_->CommandMenu().IsChecked("RMenuScreenSaverDisabled"));
    EXPECT_FALSE(ReadScreenSaverActive());
    CloseAndPump();
    Finish();
    EXPECT_TRUE(ReadScreenSaverActive()) << "the flag noted at start-up comes back";
    EXPECT_EQ(ReadFileBytes(Path("Pavlune.INI")), "[Pavlune Settings]\r\nMyName=鈴木\\総務\r\nSaverDisabled=1\r\nKIND=1\r\nAutoReload=1\r\n"
                                                  "SortString=0\r\nSaveString=1\r\nScreenSaveJack=0\r\nBackAtDesk=1\r\n");
}

TEST_F(MainFormTest, SaverAlreadyOffIsShownCheckedWithoutReadingTheKey) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    WriteFileBytes(Path("Pavlune.INI"), "[Pavlune Settings]\r\nMyName=鈴木\\総務\r\nSaverDisabled=0\r\n");
    WriteScreenSaverActive(false);
    Start();
    EXPECT_EQ(form_->SaverActiveAtStart, 0);
    EXPECT_TRUE(form_->CommandMenu().IsChecked("RMenuScreenSaverDisabled"));
    CloseAndPump();
    Finish();
    EXPECT_FALSE(ReadScreenSaverActive());
    EXPECT_EQ(ReadFileBytes(Path("Pavlune.INI")), "[Pavlune Settings]\r\nMyName=鈴木\\総務\r\nSaverDisabled=1\r\nKIND=1\r\nAutoReload=1\r\n"
                                                  "SortString=0\r\nSaveString=1\r\nScreenSaveJack=0\r\nBackAtDesk=1\r\n");
}

TEST_F(MainFormTest, SettingsFileFollowsTheProgramName) {
    WriteFileBytes(Path("Other.TXT"), kMenu);
    Start("Other.exe");
    EXPECT_EQ(dialogs_.NamesAsked, 1);
    EXPECT_EQ(form_->MyName, "") << "cancelled";
    CloseAndPump();
    Finish();
    // The empty name keeps the question from coming back.
    EXPECT_EQ(ReadFileBytes(Path("Other.INI")), std::string("[Pavlune Settings]\r\nMyName=\r\n") + kOptionKeys);
    EXPECT_FALSE(FileExists(Path("Pavlune.INI")));
}

// A polite close, or the session's end, while the first-start question is open: no name is stored
// and nothing goes out on the LAN (nor by a double-click on the icon), so the next start asks again.
TEST_F(MainFormTest, CloseDuringTheFirstStartQuestionStoresAndSendsNothing) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    test::RawSocket wire(kPresencePort, "0.0.0.0");
    dialogs_.NameReply = PresenceNameFields{"山田", "営業部", ""};  // typed, never confirmed
    for (UINT close : {WM_CLOSE, WM_ENDSESSION}) {
        dialogs_.WhileAsked = [close](HWND form) {
            SendMessageA(form, WM_TRAY_NOTIFY, 0, WM_LBUTTONDBLCLK);
            if (close == WM_ENDSESSION) SendMessageA(form, WM_QUERYENDSESSION, 0, 0);
            SendMessageA(form, close, TRUE, 0);
        };
        Start();
        PumpMessages();
        Finish();
        EXPECT_EQ(ReadFileBytes(Path("Pavlune.INI")).find("MyName"), std::string::npos) << close;
        std::string heard, from;
        EXPECT_FALSE(wire.Receive(heard, from, 500)) << heard;
    }
    EXPECT_EQ(dialogs_.NamesAsked, 2) << "the next start asks again";
}

// The texts of the datagrams the wire has heard so far.
std::vector<std::string> Heard(test::RawSocket& wire) {
    std::vector<std::string> texts;
    for (std::string bytes, from; wire.Receive(bytes, from, 100);) texts.push_back(bytes.c_str());
    return texts;
}

int Count(const std::vector<std::string>& texts, const std::string& ending) {
    return std::count_if(texts.begin(), texts.end(), [&](const std::string& text) { return text.ends_with(ending); });
}

// Back at the desk after a message, once the saver has ended (the 9x line
// waits for it; on the NT line its running flag goes off, or the session is
// unlocked), the LAN hears the default message once (its repeats count once); with the item off, nothing.
TEST_F(MainFormTest, BackAtTheDeskTheDefaultMessageGoesOutUnlessTheItemIsOff) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    SetEnvironmentVariableA("PAVLUNE_STANDIN_MS", "300");
    test::RawSocket wire(kPresencePort, "0.0.0.0");
    for (const char* setting : {"", "BackAtDesk=0\r\n", "unlock", "lock"}) {
        WriteFileBytes(Path("Pavlune.INI"), std::string("[Pavlune Settings]\r\nMyName=山田\r\n") + setting);
        Start();
        const std::string saver = test::SystemDirectory() + "\\" + form_->Launcher().MessageSaverPath();
        ASSERT_TRUE(CopyFileA(test::StandIn("standin_saver").c_str(), saver.c_str(), FALSE)) << saver;
        const bool unlock = std::string(setting) == "unlock", lock = std::string(setting) == "lock";
        SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, !unlock, nullptr, 0);  // the idle start's saver
        form_->MessageItemClick({"会議中", false, ""});
        PumpFor(1500);
        SendMessageA(form_->Handle(), WM_WTSSESSION_CHANGE_NOTICE, lock ? kSessionLock : unlock ? kSessionUnlock : 0, 0);
        SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, nullptr, 0);
        PumpFor(1500);
        std::vector<std::string> heard = Heard(wire);
        if (lock && form_->VersionInfo.Nt) {
            EXPECT_EQ(Count(heard, "\\在席\\山田"), 0) << "a password saver's flag going off is no return";
            SendMessageA(form_->Handle(), WM_WTSSESSION_CHANGE_NOTICE, kSessionUnlock, 0);
            for (const std::string& later : Heard(wire)) heard.push_back(later);
        }
        for (auto it = heard.begin(); it != heard.end();) it = std::find(heard.begin(), it, *it) != it ? heard.erase(it) : it + 1;
        EXPECT_EQ(Count(heard, "\\会議中\\山田"), 1) << setting;
        EXPECT_EQ(Count(heard, "\\在席\\山田"), *setting == 'B' ? 0 : 1) << setting;
        CloseAndPump();
        Finish();
        for (int wait = 0; wait < 50 && !DeleteFileA(saver.c_str()); ++wait) Sleep(100);
    }
}

// While the 9x line waits for the saver, the repeats reach the wire (this PC hears them: a log-off
// record for it is undone) and a colleague's request, once the repeats are over, is answered.
TEST_F(MainFormTest, WhileThe9xSaverRunsRepeatsGoOutAndRequestsAreAnswered) {
    if (test::ReportedVersion().dwPlatformId == VER_PLATFORM_WIN32_NT) GTEST_SKIP() << "the 9x line";
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    WriteFileBytes(Path("Pavlune.INI"), "[Pavlune Settings]\r\nMyName=山田\\営業部\r\n");
    SetEnvironmentVariableA("PAVLUNE_STANDIN_MS", "8000");
    Start();
    const std::string saver = test::SystemDirectory() + "\\" + form_->Launcher().MessageSaverPath();
    ASSERT_TRUE(CopyFileA(test::StandIn("standin_saver").c_str(), saver.c_str(), FALSE)) << saver;
    test::RawSocket other(25970);
    std::string seen;
    int step = 0;
    WindowTimer script(dialogs_, [&] {
        const bool back = std::ranges::any_of(form_->Presence().Table().Rows(), [](auto& row) { return row.Name == "山田"; });
        if (step == 1 || step == 3) seen += back && form_->Launcher().AwaitingSaver() ? 'B' : '-';
        if (step == 0 || step == 2) other.SendTo(kPresencePort, std::string("2002/01/01 00:00:00\\\\LOGOFF\\ \\山田\\営業部") + '\0');
        if (step == 2) other.SendTo(kPresencePort, std::string("2002/01/01 00:00:00\\\\GETSTATE\\ \\鈴木") + '\0');
        if (++step < 4) script.Start(step == 2 ? 2000 : 1500);
    });
    script.Start(500);
    form_->MessageItemClick({"会議中", false, ""});
    EXPECT_EQ(seen, "BB");
    CloseAndPump();
    Finish();
    for (int wait = 0; wait < 50 && !DeleteFileA(saver.c_str()); ++wait) Sleep(100);
}

// A saver fixed by the administrator: the message goes to the LAN, a box
// says once why the screen stays as it is, neither the saver's text nor
// SYSTEM.INI is touched, and on the NT line the unlock ends the sign.
TEST_F(MainFormTest, SaverFixedByTheAdministratorOnlyTellsTheLan) {
    constexpr const char* kPolicy = "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kPolicy, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
    RegSetValueExA(key, "SCRNSAVE.EXE", 0, REG_SZ, reinterpret_cast<const BYTE*>("scrnsave.scr"), 13);
    RegCloseKey(key);
    test::RawSocket wire(kPresencePort, "0.0.0.0");
    Start();
    const std::string systemIni = ReadFileBytes(test::WindowsDirectory() + "\\system.ini");
    const std::string settingsName = form_->SaverText().GetSaverName(kSaverSettingsName);
    form_->SaverText().ExchangeSaverText(settingsName, "元の文");
    form_->MessageItemClick({"会議中", false, ""});
    form_->MessageItemClick({"会議中", false, ""});
    EXPECT_EQ(Count(Heard(wire), "\\会議中\\"), 2);
    SendMessageA(form_->Handle(), WM_WTSSESSION_CHANGE_NOTICE, kSessionUnlock, 0);
    EXPECT_EQ(Count(Heard(wire), "\\在席\\"), form_->VersionInfo.Nt ? 1 : 0) << "the unlock ends the sign";
    EXPECT_EQ(dialogs_.Messages.size(), 1u) << "the box comes once";
    EXPECT_EQ(form_->SaverText().ExchangeSaverText(settingsName, "元の文"), "元の文");
    EXPECT_EQ(ReadFileBytes(test::WindowsDirectory() + "\\system.ini"), systemIni);
    RegDeleteKeyA(HKEY_CURRENT_USER, kPolicy);
    CloseAndPump();
    Finish();
}

// A settings file that keeps nothing (a read-only folder, a full share): the 3D
// Text saver's key is not touched; the LAN hears the message, a box says why once.
TEST_F(MainFormTest, SettingsFileThatKeepsNothingLeavesThe3DTextKeyAlone) {
    if (test::ReportedVersion().dwMajorVersion < 6) GTEST_SKIP() << "Vista and later";
    Installed3DTextSaver threeD;
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    WriteFileBytes(Path("Pavlune.INI"), "[Pavlune Settings]\r\nMyName=\r\nKIND=0\r\n");
    SetFileAttributesA(Path("Pavlune.INI").c_str(), FILE_ATTRIBUTE_READONLY);
    test::RawSocket wire(kPresencePort, "0.0.0.0");
    Start();
    form_->MessageItemClick({"会議中", false, ""});
    form_->MessageItemClick({"会議中", false, ""});
    EXPECT_EQ(Count(Heard(wire), "\\会議中\\"), 2);
    ASSERT_EQ(dialogs_.Messages.size(), 1u) << "the box comes once";
    EXPECT_NE(dialogs_.Messages[0].Text.find(Path("Pavlune.INI")), std::string::npos);
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Screensavers\\ssText3d",
                            0, KEY_READ, &key), ERROR_SUCCESS);
    CloseAndPump();
    Finish();
}

struct FatalCase {
    const char* name;
    const char* file;  // nullptr: no file at all
    const char* message;
};

class FatalDefinitionFile : public MainFormTest, public ::testing::WithParamInterface<FatalCase> {};

TEST_P(FatalDefinitionFile, IsReportedAndEndsTheProgramWithSettingsWritten) {
    const FatalCase& c = GetParam();
    if (c.file) WriteFileBytes(Path("Pavlune.TXT"), c.file);
    WriteFileBytes(Path("Pavlune.INI"), "[Pavlune Settings]\r\nMyName=鈴木\\開発\r\n");
    Start();

    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    std::string expected = c.file ? c.message
                                  : "メニュー定義ファイル" + Path("Pavlune.TXT") +
                                        "が見つかりません。\n\nプログラムを終了します。";
    EXPECT_EQ(dialogs_.Messages[0].Text, expected);
    EXPECT_EQ(dialogs_.Messages[0].Caption, "Pavlune");
    EXPECT_EQ(dialogs_.Messages[0].Flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(form_->MyName, "鈴木\\開発") << "start-up runs to its end";

    EXPECT_TRUE(PumpMessages()) << "the end request is waiting in the queue";
    Finish();
    EXPECT_EQ(ReadFileBytes(Path("Pavlune.INI")), std::string("[Pavlune Settings]\r\nMyName=鈴木\\開発\r\n") + kOptionKeys);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FatalDefinitionFile,
    ::testing::Values(
        FatalCase{"Missing", nullptr, nullptr},
        FatalCase{"Empty", "", "メニュー定義ファイルが空です。\n\nプログラムを終了します。"},
        FatalCase{"OnlyComments", "// a\r\n//b\r\n", "メニュー定義ファイルが空です。\n\nプログラムを終了します。"},
        FatalCase{"TrailingBackslash", "会議中\r\n帰宅\\ \r\n",
                  "メニュー定義ファイルに誤りがあります。\n\nプログラムを終了します。"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFormTest, FaultyLineKeepsTheEntriesBeforeIt) {
    WriteFileBytes(Path("Pavlune.TXT"), "会議中\r\n昼食\r\n分類\\\r\n来客中\r\n");
    Start();
    const MessageMenu& menu = form_->MessageMenu().Menu();
    ASSERT_EQ(menu.Entries.size(), 2u);
    EXPECT_EQ(menu.Entries[1]->Caption, "昼食");
    EXPECT_TRUE(PumpMessages());
    Finish();
}

TEST_F(MainFormTest, MissingIconIsReportedAndStartUpGoesOn) {
    WriteFileBytes(Path("Pavlune.TXT"), "会議中\r\n$no-such.ico$昼食\r\n帰宅\r\n");
    WriteFileBytes(Path("Pavlune.INI"), "[Pavlune Settings]\r\nMyName=田中\\総務\r\n");
    Start();
    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_EQ(dialogs_.Messages[0].Text, "ファイル no-such.ico は開けません.");
    EXPECT_EQ(dialogs_.Messages[0].Caption, "Pavlune");
    EXPECT_EQ(dialogs_.Messages[0].Flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    ASSERT_EQ(form_->MessageMenu().Menu().Entries.size(), 1u) << "the lines after the icon are not read";
    EXPECT_EQ(form_->MyName, "田中\\総務") << "the rest of start-up still runs";
    EXPECT_FALSE(PumpMessages()) << "an icon error does not end the program";
    CloseAndPump();
    Finish();
}

TEST_F(MainFormTest, IconsGoIntoTheImageListInFileOrder) {
    // Relative icon paths are taken from the working directory.
    WriteFileBytes(Path("Pavlune.TXT"),
                   "$icons\\lunch.ico$昼食\r\n$icons\\home.ico$$icons\\bye.ico$帰宅\\本日は帰宅しました\r\n"
                   "帰宅\\明日は休みです\r\n");
    Start();
    EXPECT_TRUE(dialogs_.Messages.empty());
    EXPECT_EQ(ImageList_GetImageCount(form_->MessageMenu().Images()), 3);
    const MessageMenu& menu = form_->MessageMenu().Menu();
    ASSERT_EQ(menu.Entries.size(), 2u);
    EXPECT_EQ(menu.Entries[0]->IconIndex, 0);
    EXPECT_EQ(menu.Entries[1]->IconIndex, 2);
    EXPECT_EQ(menu.Entries[1]->Children[0]->IconIndex, 1);

    PostMessageA(form_->Handle(), WM_DEFFILE_CHANGED, 0, 0);
    PumpMessages();
    EXPECT_EQ(ImageList_GetImageCount(form_->MessageMenu().Images()), 3) << "a reload starts the images afresh";
    CloseAndPump();
    Finish();
}

TEST_F(MainFormTest, InvalidIconIsReported) {
    WriteFileBytes(Path("bad.ico"), "this is no icon");
    WriteFileBytes(Path("Pavlune.TXT"), IconLine(Path("bad.ico"), "昼食"));
    Start();
    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_EQ(dialogs_.Messages[0].Text, "アイコンイメージが不正です.");
    CloseAndPump();
    Finish();
}

TEST_F(MainFormTest, FileChangeMessageReloadsTheMenuOnceTheFolderIsQuietAndWaitsOutAHalfWrittenFile) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    Start();
    EXPECT_EQ(form_->MessageMenu().Menu().Entries.size(), 4u);
    EXPECT_NE(form_->MessageMenu().Menu().DefaultMessageItem, nullptr);

    WriteFileBytes(Path("Pavlune.TXT"), "会議中\r\n");
    PostMessageA(form_->Handle(), WM_DEFFILE_CHANGED, 0, 0);
    EXPECT_FALSE(PumpMessages());
    EXPECT_EQ(form_->MessageMenu().Menu().Entries.size(), 4u) << "read at the first notice of a save";
    ASSERT_TRUE(test::PumpUntil([&] { return form_->MessageMenu().Menu().Entries.size() == 1u; }));
    EXPECT_EQ(form_->MessageMenu().Menu().DefaultMessageItem, nullptr);

    // An editor that saves in pieces (the file truncated, half a line, ...),
    // each within the quiet period after the last, over more than one in
    // all: the menu is read once, whole, after the last piece. Timer messages
    // come only after the posted notice, so a slow machine cannot make a pause.
    auto entries = [&] { return form_->MessageMenu().Menu().Entries.size(); };
    for (const char* piece : {"", "会議\\", "会議中\r\n帰", "会議中\r\n帰宅\r\n昼", "会議中\r\n帰宅\r\n昼食\r\n"}) {
        Sleep(150);
        WriteFileBytes(Path("Pavlune.TXT"), piece);
        PostMessageA(form_->Handle(), WM_DEFFILE_CHANGED, 0, 0);
        EXPECT_FALSE(PumpMessages());
        EXPECT_EQ(entries(), 1u) << "read before the last piece, at " << piece;
    }
    ASSERT_TRUE(test::PumpUntil([&] { return entries() == 3u; }));
    EXPECT_EQ(form_->MessageMenu().Menu().Entries[2]->Caption, "昼食");
    EXPECT_TRUE(dialogs_.Messages.empty());

    // A log written beside the program every 100 ms: the folder is never
    // quiet, and a save still reaches the menu within seconds.
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    for (DWORD start = GetTickCount(); entries() != 4u && GetTickCount() - start < 20000; PumpFor(100)) {
        PostMessageA(form_->Handle(), WM_DEFFILE_CHANGED, 0, 0);
    }
    EXPECT_EQ(entries(), 4u) << "the reload waited for a quiet folder";

    DeleteFileA(Path("Pavlune.TXT").c_str());
    PostMessageA(form_->Handle(), WM_DEFFILE_CHANGED, 0, 0);
    bool quit = false;
    for (DWORD start = GetTickCount(); !quit && GetTickCount() - start < 10000; Sleep(20)) quit = PumpMessages();
    EXPECT_TRUE(quit) << "a file still missing once the folder is quiet ends the program";
    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_TRUE(form_->MessageMenu().Menu().Entries.empty());
    Finish();
}

TEST_F(MainFormTest, SwitchingAutomaticReloadOffCancelsTheReloadWaitingForAQuietFolder) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    Start();
    WriteFileBytes(Path("Pavlune.TXT"), "");  // the user's editor is half-way
    PostMessageA(form_->Handle(), WM_DEFFILE_CHANGED, 0, 0);
    PumpMessages();
    form_->CommandMenu().Item("RMenuAutoMenuReload").OnClick();
    EXPECT_FALSE(form_->CommandMenu().IsChecked("RMenuAutoMenuReload"));
    PumpFor(1000);
    EXPECT_TRUE(dialogs_.Messages.empty()) << "the waiting reload ran and found the file empty";
    EXPECT_EQ(form_->MessageMenu().Menu().Entries.size(), 4u);
    CloseAndPump();
    Finish();
}

TEST_F(MainFormTest, IconErrorOnReloadIsShownByTheMessageBoundary) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    Start();
    WriteFileBytes(Path("Pavlune.TXT"), "会議中\r\n" + IconLine(Path("gone.ico"), "昼食"));
    PostMessageA(form_->Handle(), WM_DEFFILE_CHANGED, 0, 0);
    ASSERT_TRUE(test::PumpUntil([&] { return !dialogs_.Messages.empty(); }));
    ASSERT_EQ(dialogs_.Messages.size(), 1u) << "shown twice for one reload";
    EXPECT_EQ(dialogs_.Messages[0].Text, "ファイル " + Path("gone.ico") + " は開けません.");
    EXPECT_EQ(form_->MessageMenu().Menu().Entries.size(), 1u);
    CloseAndPump();
    Finish();
}

TEST_F(MainFormTest, ReadOnlySettingsFileIsReportedAtExit) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    WriteFileBytes(Path("Pavlune.INI"), "[Pavlune Settings]\r\nMyName=\r\nKIND=0\r\n");
    SetFileAttributesA(Path("Pavlune.INI").c_str(), FILE_ATTRIBUTE_READONLY);
    Start();
    CloseAndPump();
    Finish();
    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_EQ(dialogs_.Messages[0].Text, Path("Pavlune.INI") + " に書き込めません.");
    EXPECT_EQ(dialogs_.Messages[0].Flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(ReadFileBytes(Path("Pavlune.INI")), "[Pavlune Settings]\r\nMyName=\r\nKIND=0\r\n");
    EXPECT_EQ(dialogs_.NamesAsked, 0) << "an empty name is an answer";
}

// The user's password switch (off) is back after a run killed with it on, and at the session's end.
TEST_F(MainFormTest, SessionEndSavesTheSettings) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    WriteFileBytes(Path("Pavlune.INI"), "[Pavlune Settings]\r\nMyName=\r\nPasswordEnabled=1\r\n");
    PopupMenuModel killedMenu = BuildCommandMenu();
    PasswordOptions(ReadWindowsVersion(), killedMenu, Path("Pavlune.INI")).Start("1");
    Start();
    ASSERT_TRUE(form_->Password().ReadPasswordState());
    EXPECT_EQ(SendMessageA(form_->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageA(form_->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(form_->Password().ReadPasswordState());
    EXPECT_TRUE(FileExists(Path("Pavlune.INI")));
    DeleteFileA(Path("Pavlune.INI").c_str());
    Finish();
    EXPECT_FALSE(FileExists(Path("Pavlune.INI"))) << "the settings are written once";
}

// Another program refuses the session's end: the LAN hears the log-off, then at once a state request and the
// last status (the same bytes); a status chosen later goes out with its repeats, and a wake tells it again.
TEST_F(MainFormTest, CancelledSessionEndPutsThePcBackOnTheLan) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    WriteFileBytes(Path("Pavlune.INI"), "[Pavlune Settings]\r\nMyName=山田\r\n");
    test::RawSocket wire(kPresencePort, "0.0.0.0");
    Start();
    form_->Presence().SendStatus(StatusPayload("会議中", "山田"));
    const std::string status = form_->Presence().LastSentState();
    PumpFor(3500);
    Heard(wire);
    EXPECT_EQ(SendMessageA(form_->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageA(form_->Handle(), WM_ENDSESSION, FALSE, 0);
    std::vector<std::string> heard = Heard(wire);
    EXPECT_EQ(Count(heard, "\\LOGOFF\\ \\山田"), 3);
    EXPECT_EQ(Count(heard, "\\GETSTATE\\ \\山田"), 1);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), status), 1);
    form_->Presence().SendStatus(StatusPayload("外出", "山田"));
    SendMessageA(form_->Handle(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    PumpFor(4000);
    EXPECT_EQ(Count(Heard(wire), "\\外出\\山田"), 4) << "the status, its two repeats, once more 3 s after the wake";
    CloseAndPump();
    Finish();
}

// Another program switches the saver password on while this one runs.
TEST_F(MainFormTest, PasswordSwitchedOutsideIsFollowedAndKeptAtClose) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    const bool nt = test::ReportedVersion().dwPlatformId == VER_PLATFORM_WIN32_NT;
    auto setOutside = [nt](DWORD on) {
        HKEY key = nullptr;
        RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\desktop", 0, KEY_SET_VALUE, &key);
        if (nt) RegSetValueExA(key, "ScreenSaverIsSecure", 0, REG_SZ, reinterpret_cast<const BYTE*>(on ? "1" : "0"), 2);
        else RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), 4);
        RegCloseKey(key);
    };
    setOutside(0);
    Start();
    ASSERT_FALSE(form_->CommandMenu().IsChecked("RMenuPasswordEnabled"));
    // Two changes in a row, each as soon as the menu showed the last.
    for (DWORD on : {1, 0}) {
        setOutside(on);
        // Windows 95 rewrites its registry file, whose folder is watched there.
        if (form_->VersionInfo.Windows95) WriteFileBytes(GetUserHivePath(), "");
        EXPECT_TRUE(test::PumpUntil([&] { return form_->CommandMenu().IsChecked("RMenuPasswordEnabled") == on; }))
            << "the menu did not follow " << on;
    }
    form_->CommandMenu().Item("RMenuPasswordEnabled").OnClick();  // the program's own, temporary use
    CloseAndPump();
    EXPECT_FALSE(form_->Password().ReadPasswordState()) << "the close did not write the last outside state back";
    Finish();
}

// Started from a shortcut or the Startup folder, the working folder is
// another one; the files still open from beside the program.
TEST_F(MainFormTest, PhraseListAndReadMeOpenBesideTheProgramWhateverTheWorkingFolder) {
    ScratchFolder records;
    ScratchFolder workingFolder;
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, ".txt", REG_SZ, "txtfile", 7), ERROR_SUCCESS);
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    for (const char* name : {"Pavlune.2.txt", "Pavlune1st.txt"}) {
        WriteFileBytes(Path(name), "");
        WriteFileBytes(workingFolder.Path(name), "");
    }
    Start();
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(workingFolder.Path("").c_str()));
    auto expectOpened = [&](const char* name, const std::function<void()>& open) {
        const std::string record = records.Path(std::string(name) + ".opened");
        ASSERT_NO_FATAL_FAILURE(test::RecordShellOpen("txtfile", record));
        open();
        const std::string line = test::AwaitRecordedLine(record);
        char expected[MAX_PATH] = "";
        char actual[MAX_PATH] = "";
        GetLongPathNameA(Path(name).c_str(), expected, MAX_PATH);
        GetLongPathNameA(line.c_str(), actual, MAX_PATH);
        EXPECT_EQ(lstrcmpiA(actual, expected), 0) << line;
    };
    PopupMenuModel& menu = form_->CommandMenu();
    expectOpened("Pavlune.2.txt", [&] { menu.Item("RMenuOpenAddStringsFile").Items.at(0).OnClick(); });
    expectOpened("Pavlune1st.txt", [&] {
        auto readMe = [](HWND box) { SendMessageA(FindWindowExA(box, nullptr, "Button", "&ReadMe"), BM_CLICK, 0, 0); };
        EXPECT_TRUE(test::WatchModal(kAboutBoxCaption, readMe, [&] { menu.Item("RMenuAbout").OnClick(); }, IDCANCEL));
    });
    SetCurrentDirectoryA(previous);
    CloseAndPump();
    Finish();
}

TEST_F(MainFormTest, PasswordChangeIsHiddenOnTheNtLine) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    Start();
    // The line the prefix reports, asked here rather than of the form.
    const OSVERSIONINFOA reported = test::ReportedVersion();
    const bool nt = reported.dwPlatformId == VER_PLATFORM_WIN32_NT;
    EXPECT_EQ(form_->VersionInfo.Nt, nt);
    EXPECT_EQ(form_->VersionInfo.Windows95, !nt && reported.dwMinorVersion == 0);
    EXPECT_EQ(form_->CommandMenu().Item("RMenuPasswordChange").Visible, !nt);
    CloseAndPump();
    Finish();
}

// Started before the notification area is ready, the icon appears once the area takes it. Each
// click opens one menu: 95, 98 and NT4 send the mouse's messages, 2000 and later a select or a
// context menu after each click as well, and the keyboard's.
TEST_F(MainFormTest, TrayIconAppearsOnceTheShellTakesItAndEachClickOpensOneMenu) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    WriteFileBytes(Path("Pavlune.INI"), "[Pavlune Settings]\r\nMyName=田中\r\n");
    shell_.Refused = 2;
    Start();
    NOTIFYICONDATAA probe = form_->Tray().Record(false);  // only an icon that is there can be modified
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe));
    ASSERT_TRUE(test::PumpUntil([&] { return Shell_NotifyIconA(NIM_MODIFY, &probe); }, 15000)) << "never added";
    const bool newer = test::ReportedVersion().dwMajorVersion >= 5;
    EXPECT_EQ(shell_.Size, newer ? NOTIFYICONDATAA_V2_SIZE : NOTIFYICONDATAA_V1_SIZE);
    const struct {
        std::vector<UINT> messages;
        const char *newerMenus, *olderMenus;
    } rows[] = {
        {{NIN_KEYSELECT, NIN_KEYSELECT}, "\tM", ""},
        {{WM_LBUTTONDOWN, 0, WM_LBUTTONUP, 0, NIN_SELECT}, "\tM", "\tM"},
        {{WM_RBUTTONDOWN, 0, WM_RBUTTONUP, 0, WM_CONTEXTMENU}, "\tC", "\tC"},
    };
    for (const auto& row : rows) {
        shell_.Calls.clear();
        EXPECT_EQ(MenusOpenedBy(form_->Handle(), form_->CommandMenu().Items().front().Caption, row.messages),
                  newer ? row.newerMenus : row.olderMenus) << row.messages.front();
        EXPECT_EQ(shell_.Calls, std::vector<DWORD>(newer, NIM_SETFOCUS)) << "the focus back to the area";
    }
    CloseAndPump();
    Finish();
}

// Windows 11 keeps a new icon behind the ^ until the user brings it out, and says so in its record
// of this program's icon: the user is told once where the icon is.
TEST_F(MainFormTest, IconHiddenByWindows11IsToldOnce) {
    WriteFileBytes(Path("Pavlune.TXT"), kMenu);
    std::string upper = Path("Pavlune.exe");
    CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    const struct { std::string path; DWORD promoted; std::size_t told; } cases[] = {
        {upper, 0, 1}, {"{7C5A40EF-A0FB-4BFC-874A-C0F2E0B9FA8E}" + upper.substr(2), 0, 1},  // a known folder
        {Path("Pavlune.exe"), 1, 0}, {Path("Other.exe"), 0, 0}};
    constexpr const char* kEntry = "Control Panel\\NotifyIconSettings\\4711";
    for (const auto& c : cases) {
        SHSetValueA(HKEY_CURRENT_USER, kEntry, "ExecutablePath", REG_SZ, c.path.c_str(), c.path.size() + 1);
        SHSetValueA(HKEY_CURRENT_USER, kEntry, "IsPromoted", REG_DWORD, &c.promoted, sizeof(DWORD));
        WriteFileBytes(Path("Pavlune.INI"), "[Pavlune Settings]\r\nMyName=田中\r\n");
        for (std::size_t told : {c.told, std::size_t{0}}) {  // the next start says nothing
            dialogs_.Messages.clear();
            Start();
            ASSERT_TRUE(test::PumpUntil([&] { return form_->Tray().Shown(); }));
            EXPECT_EQ(dialogs_.Messages.size(), told) << c.path;
            Finish();
        }
        RegDeleteKeyA(HKEY_CURRENT_USER, kEntry);
    }
}

}  // namespace
}  // namespace pavlune
