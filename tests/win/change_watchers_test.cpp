// The change watchers and the password switch against the real registry and
// file system. Runs once on the 9x line and once on the NT line
// (PAVLUNE_WINE_VERSION), since the password lives in another value there.
#include "watch/change_watchers.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_menu.h"
#include "saver/password_options.h"
#include "win/win_util.h"
#include "win_test_support.h"

namespace pavlune {
namespace {

using test::ScratchFolder;
using test::WriteFileBytes;

constexpr UINT kNotice = WM_APP + 7;
constexpr const char* kTestKey = "Software\\PavluneWatcherTest";
constexpr const char* kDesktopKey = "Control Panel\\desktop";

// A window of this thread that counts the notices posted to it.
class Receiver {
public:
    Receiver() : window_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)) {}
    ~Receiver() { DestroyWindow(window_); }
    HWND Handle() const { return window_; }

    // The notices that arrive within that many milliseconds; with first,
    // it returns at the first one.
    int NoticesWithin(DWORD milliseconds, bool first = false) {
        int count = 0;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < milliseconds && !(first && count > 0)) {
            MSG message;
            while (PeekMessageA(&message, window_, kNotice, kNotice, PM_REMOVE)) ++count;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_POSTMESSAGE);
        }
        return count;
    }

private:
    HWND window_;
};

void SetTestValue(const char* value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Value", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), lstrlenA(value) + 1);
    RegCloseKey(key);
}

// Each kind of watcher: a real change is one notice, a quiet period none.
TEST(ChangeWatchers, ARealChangeIsNoticedAndAQuietWaitIsNot) {
    Receiver receiver;
    ScratchFolder folder;
    SetTestValue("before");
    struct Case {
        const char* label;
        std::function<std::unique_ptr<ChangeWatcher>()> make;
        std::function<void()> change;
    };
    const Case cases[] = {
        {"registry",
         [&] { return std::make_unique<TRegWaitThread>(receiver.Handle(), kNotice, kTestKey, false); },
         [] { SetTestValue("after"); }},
        // An editor saving in place, as Notepad does: the file was there before.
        {"folder",
         [&] { return std::make_unique<TFileWaitThread>(receiver.Handle(), kNotice, folder.Path(""), false); },
         [&] { WriteFileBytes(folder.Path("Pavlune.TXT"), "会議中\r\n帰宅\r\n"); }},
    };
    WriteFileBytes(folder.Path("Pavlune.TXT"), "会議中\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        auto watcher = c.make();
        EXPECT_EQ(receiver.NoticesWithin(ChangeWatcher::kWaitMilliseconds + 700), 0) << "a wait that timed out";
        c.change();
        EXPECT_GE(receiver.NoticesWithin(30000, true), 1) << "the change was not noticed";
    }
}

TEST(ChangeWatchers, StopEndsTheWaitAtOnceAndLeavesNoHandle) {
    Receiver receiver;
    ScratchFolder folder;
    SetTestValue("x");
    const DWORD made = GetTickCount();
    auto watcher = std::make_unique<TFileWaitThread>(receiver.Handle(), kNotice, folder.Path(""), false);
    Sleep(100);  // the thread is in its wait now
    watcher.reset();
    EXPECT_LT(GetTickCount() - made, ChangeWatcher::kWaitMilliseconds) << "the stop waited for the period's end";

    // Wine counts no handles (GetProcessHandleCount stays 0), but it gives each
    // new handle the lowest free slot: a handle left open pushes up the
    // highest of a batch of fresh ones.
    auto highestFreshHandle = [] {
        std::vector<HANDLE> fresh(100);
        for (HANDLE& handle : fresh) handle = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        const HANDLE highest = *std::max_element(fresh.begin(), fresh.end());
        for (HANDLE handle : fresh) CloseHandle(handle);
        return highest;
    };
    const HANDLE empty = highestFreshHandle();
    HANDLE held = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ASSERT_GT(highestFreshHandle(), empty) << "the measure does not see a handle left open";
    CloseHandle(held);

    const HANDLE before = highestFreshHandle();
    for (int cycle = 0; cycle < 50; ++cycle) {
        TRegWaitThread registry(receiver.Handle(), kNotice, kTestKey, false);
        auto files = std::make_unique<TFileWaitThread>(receiver.Handle(), kNotice, folder.Path(""), false);
        StopWatcher(files);  // as the close stops it
    }
    EXPECT_EQ(highestFreshHandle(), before);
}

// A watcher held in setting its watch up again, as CreateFile is on a file
// server that went away: the close goes on without it, and it tells nothing once free.
TEST(ChangeWatchers, AWatcherHeldByADeadShareDoesNotHoldTheClose) {
    struct Held : ChangeWatcher {
        Held(HWND receiver, HANDLE timeOut) : ChangeWatcher(receiver, kNotice), timeOut(timeOut) { Resume(); }
        ~Held() override { Stop(); }
        HANDLE ChangeHandle() const override { return changed; }
        void Rearm() override { WaitForSingleObject(timeOut, INFINITE); }
        bool Retry() override { return false; }
        HANDLE changed = CreateEventA(nullptr, TRUE, TRUE, nullptr), timeOut;
    };
    Receiver receiver;
    HANDLE timeOut = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    auto watcher = std::make_unique<Held>(receiver.Handle(), timeOut);
    Sleep(100);
    const DWORD start = GetTickCount();
    StopWatcher(watcher);
    EXPECT_LT(GetTickCount() - start, ChangeWatcher::kStopMilliseconds + 1000);
    SetEvent(timeOut);
    EXPECT_EQ(receiver.NoticesWithin(500), 0);
}

// User and kernel time of this process so far.
ULONGLONG ProcessCpuMilliseconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& time) { return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime; };
    return (ticks(kernel) + ticks(user)) / 10000;
}

// A key that is not there, a folder that is not there, and a key deleted
// under its watch (every registration fails from then on): none may turn its
// wait into a loop that spins or floods the window, and each still stops at once.
TEST(ChangeWatchers, AWatchThatCannotBeSetUpCostsNothingAndStopsAtOnce) {
    Receiver receiver;
    ScratchFolder folder;
    SetTestValue("x");
    std::unique_ptr<ChangeWatcher> watchers[] = {
        std::make_unique<TRegWaitThread>(receiver.Handle(), kNotice, kTestKey, false),
        std::make_unique<TRegWaitThread>(receiver.Handle(), kNotice, "Software\\PavluneNoSuchKey", false),
        std::make_unique<TFileWaitThread>(receiver.Handle(), kNotice, folder.Path("missing"), false),
    };
    Sleep(100);
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey), ERROR_SUCCESS);

    const ULONGLONG cpuBefore = ProcessCpuMilliseconds();
    EXPECT_LE(receiver.NoticesWithin(2 * ChangeWatcher::kWaitMilliseconds + 500), 1) << "the deletion, then nothing";
    EXPECT_LT(ProcessCpuMilliseconds() - cpuBefore, 500u) << "a watcher spun";

    const DWORD start = GetTickCount();
    for (auto& watcher : watchers) watcher.reset();
    EXPECT_LT(GetTickCount() - start, ChangeWatcher::kWaitMilliseconds / 2) << "a stop waited for a period";
}

// The watched folder not there at first, as a file server that restarts or
// a USB stick pulled out leaves it: the watch that failed is tried again
// each period, tells once that the folder is back, and notices a save
// afterwards.
TEST(ChangeWatchers, AFolderMadeAfterTheWatchFailedIsWatchedAgain) {
    Receiver receiver;
    ScratchFolder parent;
    const std::string folder = parent.Path("program");
    TFileWaitThread watcher(receiver.Handle(), kNotice, folder, false);
    Sleep(ChangeWatcher::kWaitMilliseconds / 2);
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_EQ(receiver.NoticesWithin(ChangeWatcher::kWaitMilliseconds + 4000), 1) << "not told once of the folder back";
    WriteFileBytes(folder + "\\Pavlune.TXT", "会議中\r\n");
    EXPECT_GE(receiver.NoticesWithin(30000, true), 1) << "a save afterwards was not noticed";
    DeleteFileA((folder + "\\Pavlune.TXT").c_str());
}

TEST(ChangeWatchers, UserHiveIsInTheProfileFolderOrTheWindowsFolder) {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    char user[256] = {};
    DWORD size = sizeof user;
    GetUserNameA(user, &size);
    const std::string key = std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProfileList\\") + user;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    EXPECT_EQ(GetUserHivePath(), std::string(windows) + "\\USER.DAT") << "no user profiles";

    HKEY profile = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &profile, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(profile, "ProfileImagePath", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\Profiles\\yamada"), 19);
    EXPECT_EQ(GetUserHivePath(), "C:\\Profiles\\yamada\\USER.DAT");
    DWORD notText = 1;
    RegSetValueExA(profile, "ProfileImagePath", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&notText), 4);
    EXPECT_EQ(GetUserHivePath(), "") << "a value that is no text";
    RegCloseKey(profile);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
}

class PasswordTest : public ::testing::Test {
protected:
    void SetUp() override { ClearValues(); }
    void TearDown() override { ClearValues(); }

    static void ClearValues() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
        RegDeleteValueA(key, "ScreenSaverIsSecure");
        RegDeleteValueA(key, "ScreenSaveUsePassword");
        RegCloseKey(key);
    }
    // Sets the password value as another program would, in the line's own form.
    void SetOutside(bool on) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        DWORD number = on ? 1 : 0;
        if (version_.Nt) RegSetValueExA(key, "ScreenSaverIsSecure", 0, REG_SZ, reinterpret_cast<const BYTE*>(on ? "1" : "0"), 2);
        else RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
        RegCloseKey(key);
    }
    bool Checked() const { return menu_.IsChecked("RMenuPasswordEnabled"); }
    int Image() const { return menu_.Item("RMenuPasswordEnabled").ImageIndex; }

    ScratchFolder folder_;
    const std::string ini_ = folder_.Path("Pavlune.INI");
    WindowsVersion version_ = ReadWindowsVersion();
    PopupMenuModel menu_ = BuildCommandMenu();
    PasswordOptions password_{version_, menu_, ini_};
};

TEST_F(PasswordTest, StoredValuesRead) {
    EXPECT_FALSE(password_.ReadPasswordState()) << "no value";
    SetOutside(true);
    EXPECT_TRUE(password_.ReadPasswordState());
    SetOutside(false);
    EXPECT_FALSE(password_.ReadPasswordState());
    // The other line's form of the value does not count.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    DWORD one = 1;
    if (version_.Nt) RegSetValueExA(key, "ScreenSaverIsSecure", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
    else RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
    RegCloseKey(key);
    EXPECT_FALSE(password_.ReadPasswordState());
}

TEST_F(PasswordTest, OwnClickIsAbsorbedAndOutsideChangesAreFollowed) {
    password_.Start("2");
    EXPECT_FALSE(Checked());
    password_.RMenuPasswordEnabledClick();
    EXPECT_TRUE(password_.ReadPasswordState());
    EXPECT_TRUE(Checked());
    EXPECT_EQ(Image(), 6);
    EXPECT_FALSE(password_.SystemPasswordState) << "the program's own use is no outside state";

    password_.RefreshPasswordState();  // the notice of the program's own write
    EXPECT_TRUE(Checked());
    SetOutside(false);
    password_.RefreshPasswordState();
    EXPECT_FALSE(Checked());
    EXPECT_FALSE(password_.SystemPasswordState);
    SetOutside(true);
    password_.RefreshPasswordState();
    EXPECT_TRUE(password_.SystemPasswordState);

    password_.RMenuPasswordEnabledClick();
    EXPECT_EQ(Image(), 19);
    password_.Restore();
    EXPECT_TRUE(password_.ReadPasswordState()) << "the state seen from outside goes back at close";
    EXPECT_TRUE(Checked());
}

// Undone at the close, or at the next start after a kill (road 1), unless
// the switch was set from outside meanwhile (road 2).
TEST_F(PasswordTest, PolicyOfTheSettingsFileAtStartAndItsUndoingAtClose) {
    struct Case {
        const char* setting;
        bool systemBefore;
        bool afterStart;
    };
    const Case cases[] = {
        {"1", false, true}, {"0", true, false}, {"1", true, true}, {"2", true, true}, {"yes", false, false},
    };
    for (const Case& c : cases) for (int road = 0; road < 3; ++road) {
        SCOPED_TRACE(std::string(c.setting) + (c.systemBefore ? " on " : " off ") + std::to_string(road));
        SetOutside(c.systemBefore);
        PopupMenuModel menu = BuildCommandMenu();
        std::optional<PasswordOptions> password(std::in_place, version_, menu, ini_);
        password->Start(c.setting);
        EXPECT_EQ(password->ReadPasswordState(), c.afterStart);
        if (road == 0) password->Restore();
        else password.emplace(version_, menu, ini_);
        if (road == 2) SetOutside(!c.afterStart);
        password->RestoreKept();
        EXPECT_EQ(password->ReadPasswordState(), road == 2 ? !c.afterStart : c.systemBefore);
    }
}

// The system's dialog, here a recording MPR.DLL in the system folder (Wine
// is told to prefer it to its own there).
TEST_F(PasswordTest, PasswordChangeRunsTheSystemDialogOfTheSaverOverTheWindowGiven) {
    ScratchFolder records;
    SetEnvironmentVariableA("PAVLUNE_MPR_RECORD", records.Path("called.txt").c_str());
    const std::string system = SystemDirectory() + "\\MPR.DLL";
    ASSERT_EQ(GetModuleHandleA("MPR.DLL"), nullptr);
    ASSERT_TRUE(MoveFileA(system.c_str(), (system + ".wine").c_str()));
    ASSERT_TRUE(CopyFileA((test::PathOnZ("PAVLUNE_MPR_DIR") + "\\MPR.DLL").c_str(), system.c_str(), FALSE));
    ASSERT_EQ(SHSetValueA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", "mpr", REG_SZ, "native", 7),
              ERROR_SUCCESS);
    Receiver owner;
    password_.RMenuPasswordChangeClick();
    PasswordOptions::ChangeSaverPassword(owner.Handle());
    DeleteFileA(system.c_str());
    MoveFileA((system + ".wine").c_str(), system.c_str());
    char expected[128];
    std::snprintf(expected, sizeof expected, "SCRSAVE %p 0 0\nSCRSAVE %p 0 0\n", static_cast<void*>(nullptr),
                  static_cast<void*>(owner.Handle()));
    EXPECT_EQ(test::ReadFileBytes(records.Path("called.txt")), expected) << "the menu's click has no owner";
    EXPECT_EQ(GetModuleHandleA("MPR.DLL"), nullptr) << "the library stays loaded";
}

TEST_F(PasswordTest, AKeyThatCannotBeWrittenLeavesTheSwitchAsItWas) {
    password_.Start("2");
    // The desktop settings are opened, never created: without the key no write can happen.
    ASSERT_EQ(SHDeleteKeyA(HKEY_CURRENT_USER, kDesktopKey), ERROR_SUCCESS);
    password_.RMenuPasswordEnabledClick();
    EXPECT_FALSE(Checked());
    EXPECT_EQ(Image(), 6);
    EXPECT_FALSE(password_.IgnoreNextDesktopNotice) << "no write, no notice of it to ignore";
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegCloseKey(key);
}

}  // namespace
}  // namespace pavlune
