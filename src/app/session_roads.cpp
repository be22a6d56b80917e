#include "app/session_roads.h"

#include "win/win_util.h"

namespace pavlune {

namespace {
constexpr DWORD kNotifyForThisSession = 0;
// Windows XP refuses the notices until its services are up, which may be a
// few minutes after the log-on.
constexpr UINT kRegisterRetryMilliseconds = 10000;
constexpr int kRegisterTries = 30;
using RegisterSessionNotification = BOOL(WINAPI*)(HWND, DWORD);
using UnRegisterSessionNotification = BOOL(WINAPI*)(HWND);
}  // namespace

SessionRoads::SessionRoads(Context context)
    : context_(std::move(context)), triesLeft_(kRegisterTries), retry_(context_.Dialogs, [this] { RegisterNotices(); }) {
    sessions_.reset(LoadSystemLibrary("WTSAPI32.DLL"));
    RegisterNotices();
}

SessionRoads::~SessionRoads() {
    auto unregister = ProcAddress<UnRegisterSessionNotification>(sessions_.get(), "WTSUnRegisterSessionNotification");
    if (registered_ && unregister) unregister(context_.MainWindow);
}

// Windows 95 to 2000 have no session notices: the library or its function
// is missing there, and only the saver flag tells of a return.
void SessionRoads::RegisterNotices() {
    auto registerNotices = ProcAddress<RegisterSessionNotification>(sessions_.get(), "WTSRegisterSessionNotification");
    if (!registerNotices) {
        sessions_.reset();
        return;
    }
    registered_ = registerNotices(context_.MainWindow, kNotifyForThisSession) != FALSE;
    if (!registered_ && --triesLeft_ > 0) retry_.Start(kRegisterRetryMilliseconds);
}

void SessionRoads::LeaveLan() {
    leftForQuery_ = false;
    if (context_.Introduced) context_.Presence.LogOff();
}

// The log-off goes out now: Windows may end the process without another word.
LRESULT SessionRoads::QueryEnd() {
    const bool left = leftForQuery_ || (context_.Introduced && !context_.Presence.LoggedOff());
    LeaveLan();
    leftForQuery_ = left;
    return TRUE;
}

// Another program refused the end: back on the LAN, or the PC would hear
// nobody and answer nobody for the rest of the day.
void SessionRoads::End(bool ending) {
    if (ending) {
        context_.Ends();
    } else if (leftForQuery_) {
        context_.Presence.Reopen();
    }
    leftForQuery_ = false;
}

// Awake again: the LAN may have changed under a sleeping PC. One that has
// not yet introduced itself (the first-start question is open) says nothing yet.
void SessionRoads::PowerChanged(WPARAM event) {
    if (context_.Introduced &&
        (event == PBT_APMRESUMESUSPEND || event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMECRITICAL)) {
        context_.Presence.NetworkChanged();
    }
}

void SessionRoads::SessionChanged(WPARAM event) {
    if (event == kSessionLock) context_.Desk.Locked();
    else if (event == kSessionUnlock) context_.Desk.Unlocked();
}

}  // namespace pavlune
