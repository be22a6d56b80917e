#include "saver/back_at_desk.h"

#include "win/win_util.h"

namespace pavlune {

namespace {
constexpr UINT kLookMilliseconds = 1000;
constexpr DWORD kNotifyForThisSession = 0;
using RegisterSessionNotification = BOOL(WINAPI*)(HWND, DWORD);
using UnRegisterSessionNotification = BOOL(WINAPI*)(HWND);
}  // namespace

// Windows 95 to 2000 have no session notices: the library or its function
// is missing there, and only the saver flag tells of a return.
BackAtDesk::BackAtDesk(HWND mainWindow, UserDialogs& dialogs, std::function<void()> cameBack)
    : mainWindow_(mainWindow), cameBack_(std::move(cameBack)), look_(dialogs, [this] { Look(); }) {
    sessions_.reset(LoadSystemLibrary("WTSAPI32.DLL"));
    auto registerNotices = ProcAddress<RegisterSessionNotification>(sessions_.get(), "WTSRegisterSessionNotification");
    if (!registerNotices || !registerNotices(mainWindow_, kNotifyForThisSession)) sessions_.reset();
}

BackAtDesk::~BackAtDesk() {
    auto unregister = ProcAddress<UnRegisterSessionNotification>(sessions_.get(), "WTSUnRegisterSessionNotification");
    if (unregister) unregister(mainWindow_);
}

// Looked at only while the sign is up: an idle program wakes for nothing.
void BackAtDesk::SignStarted() {
    watch_.Started();
    look_.Start(kLookMilliseconds);
}

void BackAtDesk::Look() {
    BOOL running = FALSE;
    if (!SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0)) running = FALSE;
    if (watch_.Look(running != FALSE)) cameBack_();
    if (watch_.Looking()) look_.Start(kLookMilliseconds);
}

void BackAtDesk::SessionChanged(WPARAM event) {
    if (event != kSessionUnlock || !watch_.Unlocked()) return;
    look_.Stop();
    cameBack_();
}

}  // namespace pavlune
