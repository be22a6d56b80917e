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

void ChangeWatcher::Stop() {
    stopRequested_ = true;
    if (stopEvent_) SetEvent(stopEvent_.get());
    if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
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
        DWORD waited = WaitForMultipleObjects(count, handles, FALSE, kWaitMilliseconds);
        if (stopRequested_) break;
        if (count == 2 && waited == WAIT_OBJECT_0 + 1) {
            PostMessageA(receiverWindow_, notifyMessage_, 0, 0);
            Rearm();
        } else if (waited == WAIT_FAILED) {
            // Whatever made the wait fail, the period is still waited out:
            // a failing wait in this loop would take a whole core.
            if (WaitForSingleObject(stopEvent_.get(), kWaitMilliseconds) == WAIT_FAILED) Sleep(kWaitMilliseconds);
        } else if (count == 1) {
            Retry();
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
    : ChangeWatcher(receiverWindow, notifyMessage),
      notification_(FindFirstChangeNotificationA(watchPath.c_str(), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE)) {
    if (!notification_) MessageBeep(MB_ICONHAND);
    if (!startSuspended) Resume();
}

TFileWaitThread::~TFileWaitThread() { Stop(); }

// A notification that cannot be set up again is given up, as one that never was.
void TFileWaitThread::Rearm() {
    if (!FindNextChangeNotification(notification_.get())) notification_.reset();
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
