// The session's roads: its end asked for, its end, its end cancelled, the
// PC's wake from sleep, the workstation's lock and unlock. The main window
// owns one and hands it those messages.
#pragma once

#include <windows.h>

#include <functional>

#include "lan/lan_presence.h"
#include "saver/back_at_desk.h"
#include "win/dialogs.h"
#include "win/handles.h"
#include "win/window_timer.h"

namespace pavlune {

// The session notice of Windows XP and later, its lock and its unlock.
inline constexpr UINT WM_WTSSESSION_CHANGE_NOTICE = 0x02B1;
inline constexpr WPARAM kSessionLock = 0x7;
inline constexpr WPARAM kSessionUnlock = 0x8;

class SessionRoads {
public:
    struct Context {
        HWND MainWindow;  // receives the session notices
        UserDialogs& Dialogs;
        LanPresence& Presence;
        BackAtDesk& Desk;
        const bool& Introduced;      // the LAN was asked for its states, so it hears this PC leave
        std::function<void()> Ends;  // the session really ends: the form's last steps
    };

    explicit SessionRoads(Context context);
    SessionRoads(const SessionRoads&) = delete;
    SessionRoads& operator=(const SessionRoads&) = delete;
    ~SessionRoads();

    // The program's close, and the first half of the session's end: the LAN
    // hears this user leave. A program closed during the first-start
    // question has said nothing there, and leaves without a word.
    void LeaveLan();
    // WM_QUERYENDSESSION: never refused.
    LRESULT QueryEnd();
    // WM_ENDSESSION.
    void End(bool ending);
    // WM_POWERBROADCAST.
    void PowerChanged(WPARAM event);
    // WM_WTSSESSION_CHANGE.
    void SessionChanged(WPARAM event);
    // Whether the system tells this program of the workstation's unlocks.
    bool HearsUnlocks() const { return registered_; }

private:
    void RegisterNotices();

    Context context_;
    UniqueModule sessions_;  // WTSAPI32.DLL while its notices are asked for
    bool registered_ = false;
    int triesLeft_;
    WindowTimer retry_;
    bool leftForQuery_ = false;  // this end's query, not the program's close, logged off
};

}  // namespace pavlune
