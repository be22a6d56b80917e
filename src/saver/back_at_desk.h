// The user's return to the desk after an away sign that a message put up:
// on the 9x line the saver process the program waited for has ended; on the
// NT line the saver-running flag, looked at each second while the sign is
// up, goes off, or the workstation is unlocked (session notices, where the
// system has them). The main window owns one BackAtDesk and hands it the
// session notices.
#pragma once

#include <windows.h>

#include <functional>

#include "saver/away_sign.h"
#include "win/dialogs.h"
#include "win/handles.h"
#include "win/window_timer.h"

namespace pavlune {

// The session notice of Windows XP and later, and its unlock.
inline constexpr UINT WM_WTSSESSION_CHANGE_NOTICE = 0x02B1;
inline constexpr WPARAM kSessionUnlock = 0x8;

class BackAtDesk {
public:
    // cameBack runs once per return. Session notices go to mainWindow.
    BackAtDesk(HWND mainWindow, UserDialogs& dialogs, std::function<void()> cameBack);
    BackAtDesk(const BackAtDesk&) = delete;
    BackAtDesk& operator=(const BackAtDesk&) = delete;
    ~BackAtDesk();

    // The NT line: a message has started the saver through the idle time-out.
    void SignStarted();
    // The 9x line: the saver a message started, waited for, has ended.
    void SaverEnded() { cameBack_(); }
    // WM_WTSSESSION_CHANGE_NOTICE.
    void SessionChanged(WPARAM event);

private:
    void Look();

    HWND mainWindow_;
    std::function<void()> cameBack_;
    AwaySignWatch watch_;
    WindowTimer look_;
    UniqueModule sessions_;  // WTSAPI32.DLL while its notices are asked for
};

}  // namespace pavlune
