#include "watch/change_watchers.h"

#include "win/registry.h"
#include "win/win_util.h"

namespace pavlune {

namespace {
constexpr const char* kProfileList = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProfileList";
constexpr DWORD kUserNameSize = 255;
}  // namespace

ChangeWatcher::ChangeWatcher(HWND receiverWindow, UINT notifyMessage)
    : receiverWindow_(receiverWindow),
      notifyMessage_(notifyMessage),
      // Manual reset: once asked to stop, every later wait ends at once.
      stopEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

void ChangeWatcher::Resume() {
    if (thread_) return;
    DWORD id = 0;
    thread_.reset(CreateThread(nullptr, 0, &ChangeWatcher::ThreadStart, this, 0, &id));
}

bool ChangeWatcher::StopWithin(DWORD milliseconds) {
    stopRequested_ = true;
    if (stopEvent_) SetEvent(stopEvent_.get());
    if (thread_ && WaitForSingleObject(thread_.get(), milliseconds) == WAIT_TIMEOUT) return false;
    thread_.reset();
    return true;
}

DWORD WINAPI ChangeWatcher::ThreadStart(void* watcher) {
    static_cast<ChangeWatcher*>(watcher)->Execute();
    return 0;
}

void ChangeWatcher::Execute() {
    while (!stopRequested_) {
        // Without a watch only the stop request is waited for: Windows 95
        // fails a wait on INVALID_HANDLE_VALUE at once, where NT takes it
        // for this process and lets it time out.
        HANDLE handles[2] = {stopEvent_.get(), ChangeHandle()};
        DWORD count = handles[1] ? 2 : 1;
        // A watch that is set wakes the thread only for a change or the stop:
        // on a laptop every wake-up costs battery. Only a watch that failed
        // is tried again after a period.
        DWORD waited = WaitForMultipleObjects(count, handles, FALSE, count == 2 ? INFINITE : kWaitMilliseconds);
        if (stopRequested_) break;
        if (count == 2 && waited == WAIT_OBJECT_0 + 1) {
            // Watching again before telling: a change made as soon as the
            // receiver has read the last one is not lost.
            Rearm();
            if (!stopRequested_) PostMessageA(receiverWindow_, notifyMessage_, 0, 0);
        } else if (waited == WAIT_FAILED) {
            // Whatever made the wait fail, the period is still waited out:
            // a failing wait in this loop would take a whole core.
            if (WaitForSingleObject(stopEvent_.get(), kWaitMilliseconds) == WAIT_FAILED) Sleep(kWaitMilliseconds);
        } else if (Retry() && !stopRequested_) {
            PostMessageA(receiverWindow_, notifyMessage_, 0, 0);
        }
    }
}

TRegWaitThread::TRegWaitThread(HWND receiverWindow, UINT notifyMessage, const std::string& watchPath,
                               bool startSuspended)
    : ChangeWatcher(receiverWindow, notifyMessage) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, watchPath.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS) {
        key_.reset(opened);
        Arm();
    }
    if (!startSuspended) Resume();
}

TRegWaitThread::~TRegWaitThread() { Stop(); }

bool TRegWaitThread::Retry() {
    if (armed_) return false;
    Arm();
    return armed_;
}

// An event of its own, without a name: a named one would be shared with any
// other program that picked the same name. It starts unsignalled, so that
// only a change ends a wait. Windows 95 has no change notices of keys:
// looked up, so that the program still loads there. A registration lasts
// until its change comes, so a new one is made only after a change (or after
// a period without any); one per time-out would pile up on the key.
void TRegWaitThread::Arm() {
    using Notify = LONG(WINAPI*)(HKEY, BOOL, DWORD, HANDLE, BOOL);
    static const Notify notify = ProcAddress<Notify>(GetModuleHandleA("ADVAPI32.DLL"), "RegNotifyChangeKeyValue");
    armed_ = false;
    if (!key_ || !notify) return;
    if (!event_) event_.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    armed_ = event_ && notify(key_.get(), FALSE, REG_NOTIFY_CHANGE_LAST_SET, event_.get(), TRUE) == ERROR_SUCCESS;
}

TFileWaitThread::TFileWaitThread(HWND receiverWindow, UINT notifyMessage, const std::string& watchPath,
                                 bool startSuspended)
    : ChangeWatcher(receiverWindow, notifyMessage), watchPath_(watchPath) {
    SetUp();
    if (!notification_) MessageBeep(MB_ICONHAND);
    if (!startSuspended) Resume();
}

TFileWaitThread::~TFileWaitThread() { Stop(); }

void TFileWaitThread::SetUp() {
    notification_.reset();
    watched_ = IdentityOf(watchPath_);
    notification_.reset(FindFirstChangeNotificationA(watchPath_.c_str(), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE));
}

// The folder away for a moment (a file server restarting, a USB stick
// pulled and put back) fails the next re-arm, or leaves the watch on a
// folder that is gone (under Wine; one removed by a Win32 call stays until
// the watch lets go of it): the watch is given up and set up afresh at the
// end of the period.
void TFileWaitThread::Rearm() {
    if (!FindNextChangeNotification(notification_.get()) || IdentityOf(watchPath_) != watched_) notification_.reset();
}

// The watch had failed: a change may have gone unseen meanwhile.
bool TFileWaitThread::Retry() {
    SetUp();
    return static_cast<bool>(notification_);
}

// The folder's volume and file index; Windows 95 opens no folder, and then
// only whether it is there counts. Nothing when it is not there.
TFileWaitThread::FolderIdentity TFileWaitThread::IdentityOf(const std::string& folder) {
    if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    UniqueHandle opened(CreateFileA(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!opened || !GetFileInformationByHandle(opened.get(), &information)) return std::tuple<DWORD, DWORD, DWORD>{};
    return std::tuple{information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
}

std::string GetUserHivePath() {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    char user[kUserNameSize] = {};
    DWORD userSize = sizeof user;
    GetUserNameA(user, &userSize);

    std::string profile;
    HKEY opened = nullptr;
    std::string keyName = std::string(kProfileList) + "\\" + user;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS) {
        UniqueKey key(opened);
        RegistryString value = ReadRegistryString(key.get(), "ProfileImagePath");
        if (value.Found == RegistryString::Kind::Unreadable) return {};
        profile = value.Text;
    }
    if (profile.empty()) profile = windows;
    return profile + "\\USER.DAT";
}

}  // namespace pavlune
