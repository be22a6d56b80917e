// Starting savers and listing them, against the real process creation,
// system parameters, SYSTEM.INI and system directory. The savers are the
// stand-in of tests/saver, copied into the system directory under the names
// a test needs; each run of it leaves lines in "standin.log" there. The
// program runs once per Windows line, in a prefix set to that version
// (PAVLUNE_WINE_VERSION); PAVLUNE_STANDIN_DIR names the folder of the
// stand-in programs.
#include "saver/saver_launcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/command_menu.h"
#include "common/error.h"
#include "saver/saver_kind.h"
#include "saver/screen_saver_active.h"
#include "win/win_util.h"
#include "win_test_support.h"

namespace pavlune {
namespace {

using test::FileExists;
using test::ReadFileBytes;
using test::ScriptedDialogs;
using test::StandIn;
using test::WriteFileBytes;

struct LineFacts {
    const char* version;
    DWORD platformId;
    DWORD minorVersion;
    const char* marqueeFile;  // the message saver's file name as started
    const char* threeDFile;
};

const LineFacts kLines[] = {
    {"win98", VER_PLATFORM_WIN32_WINDOWS, 10, "伝言板.SCR", "3D テキスト (OpenGL).SCR"},
    {"winxp", VER_PLATFORM_WIN32_NT, 1, "ssmarque.SCR", "sstext3d.SCR"},
    // Windows 10 tells a program without a compatibility manifest 6.2.
    {"win10", VER_PLATFORM_WIN32_NT, 2, "ssmarque.SCR", "sstext3d.SCR"},
};

// The facts of the prefix this run is in; nullptr when the run names none.
const LineFacts* ThisLine() { return test::FactsOfThisPrefix(kLines); }

TEST(ReportedWindows, IsTheVersionThePrefixIsSetTo) {
    const LineFacts* line = ThisLine();
    ASSERT_NE(line, nullptr) << "PAVLUNE_WINE_VERSION names no known version";
    OSVERSIONINFOA info = test::ReportedVersion();
    EXPECT_EQ(info.dwPlatformId, line->platformId);
    EXPECT_EQ(info.dwMinorVersion, line->minorVersion);
}

std::string InSystem(const std::string& name) { return test::SystemDirectory() + "\\" + name; }

// One line of standin.log (see tests/saver/standin_saver.cpp).
struct LogLine {
    std::string Event, Module, CommandLine, Arguments, Source, Text, Active, Timeout;
};

// The log of the stand-ins run from that folder (ending in a backslash).
std::vector<LogLine> ReadLog(const std::string& folder = InSystem("")) {
    std::vector<LogLine> lines;
    std::istringstream log(ReadFileBytes(folder + "standin.log"));
    std::string text;
    while (std::getline(log, text)) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = text.find('\t', start)) != std::string::npos; start = tab + 1) {
            fields.push_back(text.substr(start, tab - start));
        }
        fields.push_back(text.substr(start));
        fields.resize(8);
        lines.push_back({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6], fields[7]});
    }
    return lines;
}

bool SameFile(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// Stand-ins copied into the system directory, removed with their log.
class InstalledSavers {
public:
    InstalledSavers() { DeleteFileA(InSystem("standin.log").c_str()); }
    ~InstalledSavers() {
        // A stand-in still running (opened for its settings) holds its file
        // for a moment; the next test must not find it installed.
        for (const std::string& path : paths_) {
            for (int wait = 0; wait < 100 && !DeleteFileA(path.c_str()) && FileExists(path); ++wait) Sleep(100);
        }
        DeleteFileA(InSystem("standin.log").c_str());
    }
    InstalledSavers(const InstalledSavers&) = delete;
    InstalledSavers& operator=(const InstalledSavers&) = delete;

    std::string Install(const std::string& name, const std::string& program = "standin_saver") {
        std::string path = InSystem(name);
        EXPECT_TRUE(CopyFileA(StandIn(program).c_str(), path.c_str(), FALSE)) << StandIn(program) << " -> " << path;
        paths_.push_back(path);
        return path;
    }

private:
    std::vector<std::string> paths_;
};

UINT ScreenSaverTimeout() {
    UINT seconds = 0;
    SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0);
    return seconds;
}

void SetScreenSaverTimeout(UINT seconds) {
    SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, seconds, nullptr, SPIF_SENDWININICHANGE);
}

// SYSTEM.INI as the prefix had it, put back after each test.
class SystemIniKeeper {
public:
    SystemIniKeeper() : path_(test::WindowsDirectory() + "\\SYSTEM.INI"), existed_(FileExists(path_)) {
        if (existed_) contents_ = ReadFileBytes(path_);
    }
    ~SystemIniKeeper() {
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveDirectoryA(path_.c_str());
        if (existed_) WriteFileBytes(path_, contents_);
        else DeleteFileA(path_.c_str());
    }
    SystemIniKeeper(const SystemIniKeeper&) = delete;
    SystemIniKeeper& operator=(const SystemIniKeeper&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool existed_;
    std::string contents_;
};

std::string CurrentSaver() {
    char path[MAX_PATH] = {};
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "<none>", path, sizeof path, "SYSTEM.INI");
    return path;
}

void SetCurrentSaver(const char* path) { WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", path, "SYSTEM.INI"); }

class SaverLauncherTest : public ::testing::Test {
protected:
    static constexpr int kProgramImages = 20;

    void SetUp() override {
        line_ = ThisLine();
        if (line_ == nullptr) GTEST_SKIP() << "no prefix version named";
        ASSERT_FALSE(test::Environment("PAVLUNE_STANDIN_DIR").empty());
        SetEnvironmentVariableA("PAVLUNE_STANDIN_MS", "300");
        // A hidden top-level window stands in for the main window.
        window_ = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        activeBefore_ = ReadScreenSaverActive();
        timeoutBefore_ = ScreenSaverTimeout();
        SetCurrentSaver(nullptr);
        // The command menu's own pictures come first in the real list too.
        images_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, kProgramImages, 8);
        HICON picture = LoadIconA(nullptr, IDI_APPLICATION);
        for (int i = 0; i < kProgramImages; ++i) ImageList_ReplaceIcon(images_, -1, picture);
        MakeLauncher("");
        RMenuDengonClick(menu_);
    }
    // programFolder: where the program runs from (ends in a backslash).
    void MakeLauncher(const std::string& programFolder) {
        launcher_ = std::make_unique<SaverLauncher>(SaverLauncher::Context{
            window_, version_, menu_, store_, dialogs_, images_, [this] { ++lastSentStateCleared_; },
            InSystem("deffile.exe"), programFolder});
    }
    void TearDown() override {
        if (line_ == nullptr) return;
        launcher_.reset();
        ImageList_Destroy(images_);
        DestroyWindow(window_);
        WriteScreenSaverActive(activeBefore_);
        SetScreenSaverTimeout(timeoutBefore_);
    }

    bool Nt() const { return version_.Nt; }
    MenuItem& StartItem() { return menu_.Item("RMenuStartScreenSaver"); }

    // Waits until the stand-in started as that file has written its end line.
    static bool RunEnded(const std::string& module) {
        return test::PumpUntil([&] {
            for (const LogLine& line : ReadLog()) {
                if (line.Event == "end" && SameFile(line.Module, module)) return true;
            }
            return false;
        });
    }

    const LineFacts* line_ = nullptr;
    WindowsVersion version_ = ReadWindowsVersion();
    PopupMenuModel menu_ = BuildCommandMenu();
    SaverTextStore store_{version_, menu_};
    ScriptedDialogs dialogs_;
    HIMAGELIST images_ = nullptr;
    HWND window_ = nullptr;
    int lastSentStateCleared_ = 0;
    std::unique_ptr<SaverLauncher> launcher_;
    SystemIniKeeper systemIni_;
    InstalledSavers savers_;
    bool activeBefore_ = false;
    UINT timeoutBefore_ = 0;
};

// ---- The process method: 9x line always, NT line when direct ----
//
// The saver's own start line tells the active flag it found. Its end line
// is of no use for that under Wine: once the saver has a window, Wine reads
// the flag from the X server, which the launcher's change reaches only when
// its thread talks to the X server again, after the wait.

TEST_F(SaverLauncherTest, MessageSaverRunsWithSwitchSAndIsWaitedFor) {
    std::string path = savers_.Install(line_->marqueeFile);
    WriteScreenSaverActive(true);
    bool direct = Nt();  // the 9x line starts the message saver this way after a message too

    launcher_->StartSaver(line_->marqueeFile, direct);

    std::vector<LogLine> log = ReadLog();
    ASSERT_EQ(log.size(), 2u) << "the saver has ended when StartSaver returns";
    EXPECT_EQ(log[0].Event, "start");
    EXPECT_EQ(log[1].Event, "end");
    EXPECT_TRUE(SameFile(log[0].Module, path)) << log[0].Module << ": the bare name is found in the system directory";
    EXPECT_EQ(log[0].Arguments, "[/S]") << log[0].CommandLine;
    EXPECT_EQ(log[0].Active, "0") << "the system must not start a saver over it";
    EXPECT_TRUE(ReadScreenSaverActive()) << "the flag is back once the saver has ended";
    EXPECT_EQ(lastSentStateCleared_, 1);
}

TEST_F(SaverLauncherTest, FlagThatWasOffStaysOff) {
    savers_.Install(line_->marqueeFile);
    WriteScreenSaverActive(false);

    launcher_->StartSaver(line_->marqueeFile, true);

    std::vector<LogLine> log = ReadLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].Active, "0");
    EXPECT_FALSE(ReadScreenSaverActive());
    EXPECT_EQ(lastSentStateCleared_, 1);
}

TEST_F(SaverLauncherTest, PathWithBlanksStillGetsOnlySwitchS) {
    // The 3D Text saver of the 9x line, by bare name and by full path.
    std::string path = savers_.Install("3D テキスト (OpenGL).SCR");
    WriteScreenSaverActive(true);
    launcher_->StartSaver("3D テキスト (OpenGL).SCR", true);
    launcher_->StartSaver(path, true);

    std::vector<LogLine> log = ReadLog();
    ASSERT_EQ(log.size(), 4u);
    for (const LogLine& line : log) {
        EXPECT_TRUE(SameFile(line.Module, path)) << line.Module;
        EXPECT_EQ(line.Arguments, "[/S]") << line.CommandLine;
    }
    EXPECT_EQ(lastSentStateCleared_, 2);
}

TEST_F(SaverLauncherTest, SaverThatCannotStartReturnsWithTheFlagBack) {
    WriteScreenSaverActive(true);
    launcher_->StartSaver("nosuchsaver.scr", true);
    EXPECT_TRUE(ReadScreenSaverActive());
    EXPECT_TRUE(ReadLog().empty());
    EXPECT_EQ(lastSentStateCleared_, 1);
}

TEST_F(SaverLauncherTest, SaverFindsTheMessageTextWhenItStarts) {
    // Only what a real saver would see: the message put in place before the start.
    std::string settingsName = store_.GetSaverName(kSaverSettingsName);
    if (Nt()) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, ("Control Panel\\Screen Saver." + settingsName).c_str(), 0,
                                  nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    std::string previous = store_.ExchangeSaverText(settingsName, "会議中です（３時まで）");
    savers_.Install(line_->marqueeFile);
    launcher_->StartSaver(line_->marqueeFile, true);
    store_.ExchangeSaverText(settingsName, previous);

    std::vector<LogLine> log = ReadLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].Text, "会議中です（３時まで）") << log[0].Source;
}

// ---- The idle time-out method: NT line, message saver after a message ----

// Watches the time-out from another thread while the launcher's thread
// sleeps; as soon as it reads one second, it notes the current saver (the
// one the system would start now) and runs a probe program (the stand-in
// with "/p", which only writes its start and end lines) once, so a fresh
// process reports the time-out and the active flag it finds.
class IdleStartProbe {
public:
    explicit IdleStartProbe(std::string probe)
        : probe_(std::move(probe)), thread_([this] {
              while (!stop_) {
                  if (ScreenSaverTimeout() == 1) {
                      currentSaver_ = CurrentSaver();
                      RunProbe();
                      return;
                  }
                  Sleep(10);
              }
          }) {}
    ~IdleStartProbe() { Join(); }
    void Join() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    // After Join: SYSTEM.INI's current saver when the time-out was one second.
    const std::string& CurrentSaverThen() const { return currentSaver_; }

private:
    void RunProbe() {
        std::string commandText = "\"" + probe_ + "\" /p";
        std::vector<char> commandLine(commandText.begin(), commandText.end());
        commandLine.push_back('\0');
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process)) {
            return;
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    std::string probe_;
    std::string currentSaver_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST_F(SaverLauncherTest, NtMessageSaverStartsThroughTheIdleTimeout) {
    if (!Nt()) GTEST_SKIP() << "NT line only";
    std::string messageSaver = savers_.Install(line_->marqueeFile);
    std::string probe = savers_.Install("probe.exe");
    SetScreenSaverTimeout(600);
    ASSERT_EQ(ScreenSaverTimeout(), 600u);

    for (bool wasActive : {false, true}) {
        SCOPED_TRACE(wasActive ? "active before" : "inactive before");
        DeleteFileA(InSystem("standin.log").c_str());
        menu_.SetChecked("RMenuScreenSaverJack", false);
        SetCurrentSaver(InSystem("other.scr").c_str());
        WriteScreenSaverActive(wasActive);
        IdleStartProbe watcher(probe);

        launcher_->StartSaver(line_->marqueeFile, false);

        watcher.Join();
        std::vector<LogLine> log = ReadLog();
        ASSERT_EQ(log.size(), 2u) << "the probe ran during the call, and no saver was started as a process";
        EXPECT_TRUE(SameFile(log[0].Module, probe)) << log[0].Module;
        EXPECT_EQ(log[0].Timeout, "1") << "one second while the call lasts";
        EXPECT_EQ(log[0].Active, "1");
        EXPECT_EQ(ScreenSaverTimeout(), 600u);
        EXPECT_EQ(ReadScreenSaverActive(), wasActive);
        EXPECT_TRUE(menu_.IsChecked("RMenuScreenSaverJack")) << "the take-over option is switched on";
        EXPECT_EQ(watcher.CurrentSaverThen(), messageSaver) << "the system would start another saver";

        MSG posted{};
        EXPECT_TRUE(PeekMessageA(&posted, nullptr, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE));
        EXPECT_EQ(posted.hwnd, nullptr);
        EXPECT_EQ(posted.wParam, static_cast<WPARAM>(SC_SCREENSAVE));
    }
    EXPECT_EQ(lastSentStateCleared_, 0);
}

TEST_F(SaverLauncherTest, NtIdleStartRefusedBySystemIniLeavesTheTimeoutAlone) {
    if (!Nt()) GTEST_SKIP() << "NT line only";
    SetScreenSaverTimeout(600);
    WriteScreenSaverActive(false);
    ASSERT_TRUE(DeleteFileA(systemIni_.Path().c_str()) || !FileExists(systemIni_.Path()));
    ASSERT_TRUE(CreateDirectoryA(systemIni_.Path().c_str(), nullptr));
    EXPECT_THROW(launcher_->StartSaver(line_->marqueeFile, false), Error);
    EXPECT_EQ(ScreenSaverTimeout(), 600u);
    MSG posted{};
    EXPECT_FALSE(PeekMessageA(&posted, nullptr, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE)) << "no start was asked for";
}

// ---- The current saver ----

// A policy of the machine (or the user) that fixes the message saver itself
// leaves it as it was; one that switches savers off keeps it off the screen.
TEST_F(SaverLauncherTest, PolicyKeepsTheMessageSaverOffUnlessItFixesThatSaver) {
    const char* policy = "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, policy, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
    const std::string own = InSystem(launcher_->MessageSaverPath());
    RegSetValueExA(key, "SCRNSAVE.EXE", 0, REG_SZ, reinterpret_cast<const BYTE*>(own.c_str()), own.size() + 1);
    EXPECT_TRUE(launcher_->MessageSaverCanShow()) << own;
    RegSetValueExA(key, "ScreenSaveActive", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2);
    EXPECT_FALSE(launcher_->MessageSaverCanShow());
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, policy);
}

TEST_F(SaverLauncherTest, CurrentSaverIsTheMessageSaverWhenNoneIsSet) {
    std::string messageSaver = savers_.Install(line_->marqueeFile);
    std::string other = savers_.Install("other.scr");
    std::string threeD = savers_.Install(line_->threeDFile);
    WriteScreenSaverActive(true);

    launcher_->StartCurrentSaver();
    RMenu3DClick(menu_);
    launcher_->StartCurrentSaver();
    SetCurrentSaver(other.c_str());
    launcher_->StartCurrentSaver();

    std::vector<LogLine> log = ReadLog();
    ASSERT_EQ(log.size(), 6u) << "each one waited for, the NT line included";
    EXPECT_TRUE(SameFile(log[0].Module, messageSaver)) << log[0].Module;
    EXPECT_TRUE(SameFile(log[2].Module, threeD)) << log[2].Module;
    EXPECT_TRUE(SameFile(log[4].Module, other)) << log[4].Module;
    for (const LogLine& line : log) {
        EXPECT_EQ(line.Arguments, "[/S]");
        if (line.Event == "start") {
            EXPECT_EQ(line.Active, "0");
        }
    }
    EXPECT_TRUE(ReadScreenSaverActive());
}

TEST_F(SaverLauncherTest, ConfigurationWithoutCurrentSaverTellsTheUser) {
    launcher_->WireCommands();
    menu_.Item("RScreenSaverConfig").OnClick();
    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_EQ(dialogs_.Messages[0].Text, "スクリーンセーバーは設定されていません。");
    EXPECT_EQ(dialogs_.Messages[0].Caption, "Pavlune");
    EXPECT_EQ(dialogs_.Messages[0].Flags, static_cast<UINT>(MB_OK));
}

// The shell's "config" verb on a saver starts it without "/S" (Wine passes
// no argument at all, as Windows' "%1" does).
TEST_F(SaverLauncherTest, ConfigurationOpensTheSaverWithoutSwitchS) {
    std::string other = savers_.Install("other.scr");
    std::string messageSaver = savers_.Install(line_->marqueeFile);
    SetCurrentSaver(other.c_str());
    launcher_->WireCommands();

    menu_.Item("RScreenSaverConfig").OnClick();
    ASSERT_TRUE(RunEnded(other));
    menu_.Item("RMenuMarqueeSaverConfig").OnClick();
    ASSERT_TRUE(RunEnded(messageSaver));

    for (const LogLine& line : ReadLog()) EXPECT_EQ(line.Arguments.find("/S"), std::string::npos) << line.CommandLine;
    EXPECT_TRUE(dialogs_.Messages.empty());
    EXPECT_EQ(lastSentStateCleared_, 0);
}

TEST_F(SaverLauncherTest, DefinitionFileOpensWithTheDefaultVerb) {
    // A program in place of the definition file shows that the default verb ran it.
    std::string definition = savers_.Install("deffile.exe");
    launcher_->WireCommands();
    menu_.Item("RMenuOpenStringTable").OnClick();
    ASSERT_TRUE(RunEnded(definition));
    EXPECT_EQ(ReadLog()[0].Arguments, "");
}

// ---- Take-over ----

TEST_F(SaverLauncherTest, TakeOverMakesTheMessageSaverCurrent) {
    WriteScreenSaverActive(false);
    launcher_->TakeOver();
    EXPECT_TRUE(ReadScreenSaverActive());
    EXPECT_EQ(CurrentSaver(), InSystem(line_->marqueeFile));

    RMenu3DClick(menu_);
    launcher_->TakeOver();
    EXPECT_EQ(CurrentSaver(), InSystem(line_->threeDFile));

    // Switched off in the command menu, the saver stays off.
    RMenuScreenSaverDisabledClick(menu_);
    ASSERT_FALSE(ReadScreenSaverActive());
    launcher_->TakeOver();
    EXPECT_FALSE(ReadScreenSaverActive());
    EXPECT_EQ(CurrentSaver(), InSystem(line_->threeDFile));
}

TEST_F(SaverLauncherTest, TakeOverRefusedBySystemIniIsAnError) {
    // A folder in the place of the file makes every write fail.
    ASSERT_TRUE(DeleteFileA(systemIni_.Path().c_str()) || !FileExists(systemIni_.Path()));
    ASSERT_TRUE(CreateDirectoryA(systemIni_.Path().c_str(), nullptr));
    try {
        launcher_->TakeOver();
        ADD_FAILURE() << "SYSTEM.INI was written";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "SYSTEM.INI に書き込めません");
    }
}

// ---- The message saver beside the program ----

TEST_F(SaverLauncherTest, MessageSaverBesideTheProgramServesWhenTheSystemLacksIt) {
    test::ScratchFolder scratch;
    const std::string folder = scratch.Path("伝言 ソフト表示") + "\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(StandIn("standin_saver").c_str(), (folder + line_->marqueeFile).c_str(), FALSE));
    MakeLauncher(folder);

    const std::string path = launcher_->MessageSaverPath();
    EXPECT_EQ(path.find(' '), std::string::npos) << "the system gives a short form here: " << path;
    launcher_->StartCurrentSaver();  // none set: the message saver
    launcher_->TakeOver();
    EXPECT_EQ(CurrentSaver(), path);
    std::vector<LogLine> log = ReadLog(folder);
    ASSERT_EQ(log.size(), 2u) << "the saver beside the program ran";
    EXPECT_EQ(log[0].Arguments, "[/S]") << log[0].CommandLine;
    launcher_->BuildSaverSubmenu();
    ASSERT_EQ(StartItem().Items.size(), 3u);
    EXPECT_EQ(StartItem().Items[2].Hint, path);

    savers_.Install(line_->marqueeFile);  // one in the system directory wins
    EXPECT_EQ(launcher_->MessageSaverPath(), line_->marqueeFile);
    for (const char* name : {line_->marqueeFile, "standin.log"}) DeleteFileA((folder + name).c_str());
    RemoveDirectoryA(folder.c_str());
}

// ---- The start submenu ----

TEST_F(SaverLauncherTest, NoSaverInstalledLeavesTheStartItemDisabledAndEmpty) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(InSystem("*.scr").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    ASSERT_EQ(search, INVALID_HANDLE_VALUE) << "the prefix has a saver: " << found.cFileName;

    launcher_->BuildSaverSubmenu();

    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_EQ(dialogs_.Messages[0].Text, "スクリーンセーバーが見つかりません");
    EXPECT_EQ(dialogs_.Messages[0].Caption, "Pavlune");
    EXPECT_EQ(dialogs_.Messages[0].Flags, static_cast<UINT>(MB_OK));
    EXPECT_FALSE(StartItem().Enabled);
    EXPECT_TRUE(StartItem().Items.empty());
    EXPECT_EQ(ImageList_GetImageCount(images_), kProgramImages);
}

// The order in which the directory search finds the files.
std::vector<std::string> SearchOrder() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(InSystem("*.scr").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

struct ExpectedItem {
    std::string Caption;
    std::string Path;
};

void ExpectSaverItems(const std::vector<MenuItem>& items, const std::vector<ExpectedItem>& expected, int firstImage) {
    ASSERT_EQ(items.size(), expected.size() + 2);
    const MenuItem& current = items[0];
    EXPECT_EQ(current.Caption, "現在設定中のセーバー");
    EXPECT_TRUE(current.IsDefault);
    EXPECT_EQ(current.ImageIndex, 0);
    EXPECT_TRUE(current.OnClick);
    EXPECT_TRUE(items[1].IsSeparator());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const MenuItem& item = items[i + 2];
        EXPECT_EQ(item.Caption, expected[i].Caption) << i;
        EXPECT_TRUE(SameFile(item.Hint, expected[i].Path)) << item.Hint;
        EXPECT_EQ(item.ImageIndex, firstImage + static_cast<int>(i)) << item.Caption;
        EXPECT_TRUE(item.OnClick) << item.Caption;
    }
}

TEST_F(SaverLauncherTest, NtListsSaversByTheirResourceNames) {
    if (!Nt()) GTEST_SKIP() << "NT line only";
    // File names sort the other way round from the display names.
    std::string plain = savers_.Install("zz_plain.scr", "standin_saver");
    std::string alpha = savers_.Install("yy_alpha.scr", "standin_name_100");
    std::string beta = savers_.Install("xx_beta.scr", "standin_name_1");
    std::string lower = savers_.Install("ww_lower.scr", "standin_name_lower");
    std::string upper = savers_.Install("vv_upper.scr", "standin_name_upper");
    WriteScreenSaverActive(true);

    launcher_->BuildSaverSubmenu();

    // Of the two gamma savers the one the search finds first is listed.
    std::string firstGamma;
    for (const std::string& name : SearchOrder()) {
        if (firstGamma.empty() && (SameFile(name, "ww_lower.scr") || SameFile(name, "vv_upper.scr"))) firstGamma = name;
    }
    bool lowerFirst = SameFile(firstGamma, "ww_lower.scr");
    ExpectSaverItems(StartItem().Items,
                     {{"", plain},
                      {"alpha スタンドイン", alpha},
                      {"Beta Stand-in", beta},
                      {lowerFirst ? "gamma saver" : "GAMMA SAVER", lowerFirst ? lower : upper}},
                     kProgramImages);
    EXPECT_TRUE(StartItem().Items[0].Enabled);
    EXPECT_TRUE(StartItem().Enabled);
    EXPECT_EQ(ImageList_GetImageCount(images_), kProgramImages + 4);
    EXPECT_TRUE(dialogs_.Messages.empty());
}

TEST_F(SaverLauncherTest, NineXListsSaversByFileName) {
    if (Nt()) GTEST_SKIP() << "9x line only";
    // Resources do not count on the 9x line.
    std::string marquee = savers_.Install("伝言板.SCR", "standin_name_1");
    std::string threeD = savers_.Install("3D テキスト (OpenGL).SCR", "standin_name_100");
    std::string beta = savers_.Install("Beta.scr");
    std::string alpha = savers_.Install("alpha.scr");
    std::string zeta = savers_.Install("ZETA.scr");
    WriteScreenSaverActive(true);

    launcher_->BuildSaverSubmenu();

    ExpectSaverItems(StartItem().Items,
                     {{"3D テキスト (OpenGL)", threeD},
                      {"alpha", alpha},
                      {"Beta", beta},
                      {"ZETA", zeta},
                      {"伝言板", marquee}},
                     kProgramImages);
    EXPECT_EQ(ImageList_GetImageCount(images_), kProgramImages + 5);
}

TEST_F(SaverLauncherTest, CurrentSaverItemDisabledWhileTheFlagIsOff) {
    savers_.Install("other.scr");
    WriteScreenSaverActive(false);
    launcher_->BuildSaverSubmenu();
    ASSERT_EQ(StartItem().Items.size(), 3u);
    EXPECT_FALSE(StartItem().Items[0].Enabled);
    EXPECT_TRUE(StartItem().Enabled);
}

TEST_F(SaverLauncherTest, FolderNamedLikeASaverIsNotListed) {
    std::string saver = savers_.Install("other.scr");
    std::string folder = InSystem("folder.scr");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    launcher_->BuildSaverSubmenu();
    RemoveDirectoryA(folder.c_str());
    ASSERT_EQ(StartItem().Items.size(), 3u);
    EXPECT_TRUE(SameFile(StartItem().Items[2].Hint, saver));
}

TEST_F(SaverLauncherTest, ClickedItemsStartTheirSavers) {
    std::string listed = savers_.Install("other.scr", "standin_name_1");  // a name of its own on the NT line
    std::string messageSaver = savers_.Install(line_->marqueeFile);
    WriteScreenSaverActive(true);
    launcher_->BuildSaverSubmenu();
    const std::vector<MenuItem>& items = StartItem().Items;
    ASSERT_EQ(items.size(), 4u);
    const MenuItem* other = nullptr;
    for (const MenuItem& item : items) {
        if (SameFile(item.Hint, listed)) other = &item;
    }
    ASSERT_NE(other, nullptr);

    other->OnClick();
    items[0].OnClick();  // no current saver set: the message saver

    std::vector<LogLine> log = ReadLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_TRUE(SameFile(log[0].Module, listed)) << log[0].Module;
    EXPECT_TRUE(SameFile(log[2].Module, messageSaver)) << log[2].Module;
    for (const LogLine& line : log) EXPECT_EQ(line.Arguments, "[/S]");
    EXPECT_EQ(lastSentStateCleared_, 2);
}

TEST_F(SaverLauncherTest, RightButtonChoiceOpensTheConfigurationInstead) {
    std::string listed = savers_.Install("other.scr");
    launcher_->BuildSaverSubmenu();
    ASSERT_EQ(StartItem().Items.size(), 3u);

    // The menu forgets earlier presses as it opens; the item is chosen as
    // the right button comes up again.
    GetAsyncKeyState(VK_RBUTTON);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    ASSERT_EQ(SendInput(2, click, sizeof click[0]), 2u) << "the right button cannot be pressed here";
    Sleep(200);
    StartItem().Items[2].OnClick();

    ASSERT_TRUE(RunEnded(listed));
    std::vector<LogLine> log = ReadLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].Arguments.find("/S"), std::string::npos) << log[0].CommandLine;
    EXPECT_EQ(lastSentStateCleared_, 0) << "nothing was started as a saver";
}

// ---- Display names and icons ----

TEST_F(SaverLauncherTest, DisplayNames) {
    std::string unreadable = InSystem("notaprogram.scr");
    WriteFileBytes(unreadable, "MZ but nothing else");
    struct Case {
        std::string path;
        std::string nt;
        std::string nineX;
    };
    const Case cases[] = {
        {savers_.Install("first.scr", "standin_name_1"), "Beta Stand-in", "first"},
        {savers_.Install("hundred.scr", "standin_name_100"), "alpha スタンドイン", "hundred"},
        {savers_.Install("3D テキスト (OpenGL).SCR", "standin_saver"), "", "3D テキスト (OpenGL)"},
        {unreadable, "", "notaprogram"},
        {InSystem("missing.scr"), "", "missing"},
    };
    for (const Case& c : cases) EXPECT_EQ(launcher_->GetSaverDisplayName(c.path), Nt() ? c.nt : c.nineX) << c.path;
    DeleteFileA(unreadable.c_str());
}

TEST_F(SaverLauncherTest, IconsAreAppendedToTheCommandImages) {
    std::string saver = savers_.Install("other.scr");
    EXPECT_EQ(launcher_->AddSaverIcon(saver), kProgramImages);
    EXPECT_EQ(launcher_->AddSaverIcon(saver), kProgramImages + 1);
    EXPECT_EQ(ImageList_GetImageCount(images_), kProgramImages + 2);
}

}  // namespace
}  // namespace pavlune
