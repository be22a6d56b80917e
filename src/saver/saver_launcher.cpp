#include "saver/saver_launcher.h"

#include <shellapi.h>

#include <utility>
#include <vector>

#include "common/error.h"
#include "saver/saver_files.h"
#include "saver/screen_saver_active.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/registry.h"
#include "win/win_util.h"

namespace pavlune {

namespace {

constexpr const char* kSystemIni = "SYSTEM.INI";
constexpr const char* kBootSection = "boot";
constexpr const char* kCurrentSaverKey = "SCRNSAVE.EXE";
// Where an administrator fixes the screen saver, for the user or the machine.
constexpr const char* kSaverPolicyKey = "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
constexpr DWORD kSaverProcessFlags = CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS;
constexpr UINT kIdleTimeoutSeconds = 1;
constexpr DWORD kIdleStartMilliseconds = 3000;
constexpr int kDisplayNameBufferSize = 199;
constexpr UINT kDisplayNameResource = 1;
constexpr UINT kOldDisplayNameResource = 100;
constexpr int kCurrentSaverImage = 0;

std::string ReadCurrentSaver(const std::string& defaultPath) {
    return ReadProfileString(kBootSection, kCurrentSaverKey, defaultPath, kSystemIni);
}

// A menu item is chosen when its button is released, so the right button
// chose it when it went down since the command menu opened (the menu forgets
// the earlier presses as it opens).
bool RightButtonChose() { return (GetAsyncKeyState(VK_RBUTTON) & 1) != 0; }

// The saver's own configuration dialog. Errors of the shell are not the
// user's business here: nothing is reported.
void OpenConfiguration(const std::string& path) { OpenWithShell(nullptr, path, "config"); }

// Display names in the order the user's language sorts them, letter case
// aside.
int CompareDisplayNames(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) - CSTR_EQUAL;
}

}  // namespace

SaverLauncher::SaverLauncher(Context context) : context_(std::move(context)) {}

namespace {
// The window's thread goes on while the saver shows: colleagues' state
// requests are answered and the status repeats go out. A quit posted
// meanwhile (the program was closed) ends the wait and goes back in the
// queue for the main loop.
void AwaitProcess(HANDLE process) {
    while (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}
}  // namespace

bool SaverLauncher::StartSaver(const std::string& path, bool direct) {
    bool wasActive = ReadScreenSaverActive();
    if (!context_.Version.Nt || direct) return StartAsProcess(path, wasActive);
    StartByIdleTimeout(wasActive);
    return false;
}

bool SaverLauncher::StartAsProcess(const std::string& path, bool wasActive) {
    std::string commandText = SaverCommandLine(path);
    std::vector<char> commandLine(commandText.begin(), commandText.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);

    // The system must not start a saver of its own over this one.
    if (wasActive) WriteScreenSaverActive(false);
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, kSaverProcessFlags,
                                        nullptr, nullptr, &startup, &process) != FALSE;
    if (started) {
        UniqueHandle thread(process.hThread);
        UniqueHandle saver(process.hProcess);
        awaiting_ = true;
        AwaitProcess(saver.get());
        awaiting_ = false;
    }
    if (wasActive) WriteScreenSaverActive(true);
    // The user is back: the next message is news even if it is the same.
    if (context_.ClearLastSentState) context_.ClearLastSentState();
    return started;
}

void SaverLauncher::StartByIdleTimeout(bool wasActive) {
    // From the first message on, the message saver is the current saver and
    // keeps its text. It must be current before the idle time-out starts
    // whatever saver is current; message selection applies the take-over
    // again afterwards, which leaves the active flag on.
    context_.CommandMenu.SetChecked("RMenuScreenSaverJack", true);
    TakeOver();
    // A time-out that cannot be read could not be put back: it is left alone.
    UINT oldTimeout = 0;
    bool timeoutRead = SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &oldTimeout, 0) != FALSE;
    if (timeoutRead)
        SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, kIdleTimeoutSeconds, nullptr, SPIF_SENDWININICHANGE);
    WriteScreenSaverActive(true);
    PostMessageA(nullptr, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    // The system's idle time-out starts the current saver meanwhile.
    Sleep(kIdleStartMilliseconds);
    if (timeoutRead) SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, oldTimeout, nullptr, SPIF_SENDWININICHANGE);
    WriteScreenSaverActive(wasActive);
}

bool SaverLauncher::MessageSaverCanShow() const {
    std::vector<SaverPolicy> policies;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(root, kSaverPolicyKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) continue;
        UniqueKey key(opened);
        SaverPolicy policy;
        // A value of another type is no setting Windows would follow either.
        auto read = [&](const char* name) -> std::optional<std::string> {
            RegistryString value = ReadRegistryString(key.get(), name);
            if (value.Found != RegistryString::Kind::Text) return std::nullopt;
            return value.Text;
        };
        policy.Saver = read(kCurrentSaverKey);
        policy.Active = read("ScreenSaveActive");
        policies.push_back(std::move(policy));
    }
    return PoliciesLetSaverShow(policies, MessageSaverPath());
}

void SaverLauncher::StartCurrentSaver() { StartSaver(ReadCurrentSaver(MessageSaverPath()), true); }

void SaverLauncher::RMenuStartScreenSaverClick() {
    if (RightButtonChose()) {
        SetForegroundWindow(context_.MainWindow);
        RScreenSaverConfigClick();
        return;
    }
    StartCurrentSaver();
}

void SaverLauncher::SaverItemClick(const std::string& path) {
    if (RightButtonChose()) {
        SetForegroundWindow(context_.MainWindow);
        OpenConfiguration(path);
        return;
    }
    StartSaver(path, true);
}

void SaverLauncher::RScreenSaverConfigClick() {
    std::string current = ReadCurrentSaver("");
    if (current.empty()) {
        context_.Dialogs.ShowMessage(context_.MainWindow, "スクリーンセーバーは設定されていません。", kApplicationTitle,
                                     MB_OK);
        return;
    }
    SetForegroundWindow(context_.MainWindow);
    OpenConfiguration(current);
}

void SaverLauncher::RMenuMarqueeSaverConfigClick() { OpenConfiguration(MessageSaverPath()); }

void SaverLauncher::RMenuOpenStringTableClick() { OpenWithShell(nullptr, context_.DefinitionFilePath); }

void SaverLauncher::BuildSaverSubmenu() {
    MenuItem& start = context_.CommandMenu.Item("RMenuStartScreenSaver");
    std::string directory = SystemDirectory();
    std::string folder = WithTrailingBackslash(directory);
    WIN32_FIND_DATAA found{};
    UniqueFindHandle search(directory.empty() ? INVALID_HANDLE_VALUE : FindFirstFileA((folder + "*.scr").c_str(), &found));
    // The message saver the program brings along, where the system lacks one.
    std::string besideProgram =
        SaverBesideProgram(GetSaverName(false, context_.Version, kSaverFileBaseName) + ".SCR");
    if (!search && besideProgram.empty()) {
        context_.Dialogs.ShowMessage(context_.MainWindow, "スクリーンセーバーが見つかりません", kApplicationTitle,
                                     MB_OK);
        start.Enabled = false;
        return;
    }

    std::vector<SaverListEntry> savers;
    if (search) {
        do {
            // A folder named like a saver cannot be started.
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            std::string path = folder + found.cFileName;
            InsertSaverSorted(savers, {GetSaverDisplayName(path), path}, CompareDisplayNames);
        } while (FindNextFileA(search.get(), &found));
    }

    if (!besideProgram.empty()) {
        InsertSaverSorted(savers, {GetSaverDisplayName(besideProgram), besideProgram}, CompareDisplayNames);
    }

    start.Items.clear();
    MenuItem current;
    current.Name = kCurrentSaverItem;
    current.Caption = "現在設定中のセーバー";
    current.IsDefault = true;
    current.ImageIndex = kCurrentSaverImage;
    current.Enabled = ReadScreenSaverActive();
    current.OnClick = [this] { RMenuStartScreenSaverClick(); };
    start.Items.push_back(std::move(current));
    MenuItem separator;
    separator.Caption = "-";
    start.Items.push_back(std::move(separator));

    for (SaverListEntry& saver : savers) {
        MenuItem item;
        item.Caption = std::move(saver.DisplayName);
        item.Hint = saver.Path;
        item.ImageIndex = AddSaverIcon(saver.Path);
        item.OnClick = [this, path = std::move(saver.Path)] { SaverItemClick(path); };
        start.Items.push_back(std::move(item));
    }
}

void SaverLauncher::TakeOver() {
    // The user's switch-off holds: the saver becomes current but stays off.
    WriteScreenSaverActive(!context_.CommandMenu.IsChecked("RMenuScreenSaverDisabled"));
    std::string path = SaverBesideProgram(MessageSaverFileName());
    if (path.empty()) path = WithTrailingBackslash(SystemDirectory()) + MessageSaverFileName();
    if (!WritePrivateProfileStringA(kBootSection, kCurrentSaverKey, path.c_str(), kSystemIni)) {
        throw Error(std::string(kSystemIni) + " に書き込めません");
    }
}

std::string SaverLauncher::GetSaverDisplayName(const std::string& path) const {
    if (!context_.Version.Nt) return SaverFileTitle(path);
    // Only the resources are wanted: loaded as data, the file runs no code
    // and pulls in no libraries of its own.
    UniqueModule module(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return {};
    char name[kDisplayNameBufferSize] = {};
    int length = LoadStringA(module.get(), kDisplayNameResource, name, sizeof name);
    if (length <= 0) length = LoadStringA(module.get(), kOldDisplayNameResource, name, sizeof name);
    return length > 0 ? std::string(name, static_cast<std::size_t>(length)) : std::string();
}

int SaverLauncher::AddSaverIcon(const std::string& path) {
    SHFILEINFOA info{};
    if (!SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_DISPLAYNAME)) return -1;
    UniqueIcon icon(info.hIcon);
    if (!icon.get() || !context_.CommandImages) return -1;
    if (ImageList_ReplaceIcon(context_.CommandImages, -1, icon.get()) < 0) return -1;
    return ImageList_GetImageCount(context_.CommandImages) - 1;
}

void SaverLauncher::WireCommands() {
    context_.CommandMenu.Item("RScreenSaverConfig").OnClick = [this] { RScreenSaverConfigClick(); };
    context_.CommandMenu.Item("RMenuMarqueeSaverConfig").OnClick = [this] { RMenuMarqueeSaverConfigClick(); };
    context_.CommandMenu.Item("RMenuOpenStringTable").OnClick = [this] { RMenuOpenStringTableClick(); };
}

std::string SaverLauncher::MessageSaverFileName() const {
    return context_.SaverText.GetSaverName(kSaverFileBaseName) + ".SCR";
}

std::string SaverLauncher::MessageSaverPath() const {
    std::string beside = SaverBesideProgram(MessageSaverFileName());
    return beside.empty() ? MessageSaverFileName() : beside;
}

// A saver in the system directory wins: an administrator installed it there.
std::string SaverLauncher::SaverBesideProgram(const std::string& fileName) const {
    std::string directory = SystemDirectory();
    if (!directory.empty() && IsFile(WithTrailingBackslash(directory) + fileName)) return {};
    if (context_.ProgramFolder.empty() || !IsFile(context_.ProgramFolder + fileName)) return {};
    return PathWithoutBlanks(context_.ProgramFolder + fileName);
}

}  // namespace pavlune
