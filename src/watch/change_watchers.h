// TRegWaitThread and TFileWaitThread: background threads that tell the main
// window, by a posted message, that a registry key's values or a folder's
// files were written. They touch nothing else: every reaction runs on the
// main thread. Destroying a watcher stops it at once and waits for its
// thread before the handles go; StopWatcher waits a bounded time.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "win/handles.h"

namespace pavlune {

class ChangeWatcher {
public:
    ChangeWatcher(const ChangeWatcher&) = delete;
    ChangeWatcher& operator=(const ChangeWatcher&) = delete;
    virtual ~ChangeWatcher() = default;

    // A watch that failed is tried again after this long; one that is set
    // is waited on without a time-out.
    static constexpr DWORD kWaitMilliseconds = 5000;

    // How long StopWatcher waits for a watcher's thread.
    static constexpr DWORD kStopMilliseconds = 1000;

    // Starts the thread body (once).
    void Resume();

    // Sets the stop request, wakes the thread and waits at most that long
    // until its body has returned; false when it has not.
    bool StopWithin(DWORD milliseconds);

protected:
    ChangeWatcher(HWND receiverWindow, UINT notifyMessage);
    // StopWithin without a limit. Every derived destructor calls it before
    // its handles go.
    void Stop() { StopWithin(INFINITE); }

private:
    // What a change signals; null while there is no watch.
    virtual HANDLE ChangeHandle() const = 0;
    // Sets the watch up again once a change has been signalled.
    virtual void Rearm() = 0;
    // A period without a watch is over: the watch is set up afresh. True
    // when one is back: a change made meanwhile went unseen, so the
    // receiver is told once.
    virtual bool Retry() = 0;

    static DWORD WINAPI ThreadStart(void* watcher);
    void Execute();

    HWND receiverWindow_;
    UINT notifyMessage_;
    std::atomic<bool> stopRequested_{false};
    UniqueHandle stopEvent_;
    UniqueHandle thread_;
};

// Watches the values of a key under HKEY_CURRENT_USER.
class TRegWaitThread : public ChangeWatcher {
public:
    TRegWaitThread(HWND receiverWindow, UINT notifyMessage, const std::string& watchPath, bool startSuspended);
    ~TRegWaitThread() override;

private:
    HANDLE ChangeHandle() const override { return armed_ ? event_.get() : nullptr; }
    void Rearm() override { Arm(); }
    bool Retry() override;
    void Arm();

    UniqueKey key_;
    UniqueHandle event_;
    bool armed_ = false;  // a registration is pending on the key
};

// Watches the files of a folder (not its sub-folders) for writes.
class TFileWaitThread : public ChangeWatcher {
public:
    TFileWaitThread(HWND receiverWindow, UINT notifyMessage, const std::string& watchPath, bool startSuspended);
    ~TFileWaitThread() override;

private:
    HANDLE ChangeHandle() const override { return notification_ ? notification_.get() : nullptr; }
    void Rearm() override;
    bool Retry() override;
    void SetUp();

    // What tells a folder from another one made under its name later.
    using FolderIdentity = std::optional<std::tuple<DWORD, DWORD, DWORD>>;
    static FolderIdentity IdentityOf(const std::string& folder);

    std::string watchPath_;
    FolderIdentity watched_;  // the folder the notification was set up on
    UniqueChangeNotification notification_;
};

// Stops watcher and destroys it, waiting for its thread kStopMilliseconds
// at most. A thread held in a call to a file server that went away
// (CreateFile and FindFirstChangeNotification wait for the network's
// time-out) must not hold the close or the session's end: its watcher is
// let go instead, and the thread, which posts nothing once asked to stop,
// ends with the process.
template <typename Watcher>
void StopWatcher(std::unique_ptr<Watcher>& watcher) {
    if (watcher && !watcher->StopWithin(ChangeWatcher::kStopMilliseconds)) static_cast<void>(watcher.release());
    watcher.reset();
}

// The current user's registry file on the 9x line: the profile folder of
// the user (ProfileImagePath), else the Windows folder, + "\USER.DAT".
// Empty when a value on the way cannot be read as a string.
std::string GetUserHivePath();

}  // namespace pavlune
