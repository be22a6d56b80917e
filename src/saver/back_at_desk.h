// The user's return to the desk after an away sign that a message put up:
// on the 9x line the saver process the program waited for has ended; on the
// NT line the saver-running flag, looked at while the sign is up, goes off,
// or the workstation is unlocked (the session's roads pass the lock and the
// unlock on, where the system tells of them).
#pragma once

#include <windows.h>

#include <functional>

#include "saver/away_sign.h"
#include "win/dialogs.h"
#include "win/window_timer.h"

namespace pavlune {

class BackAtDesk {
public:
    // cameBack runs once per return.
    BackAtDesk(UserDialogs& dialogs, std::function<void()> cameBack);
    BackAtDesk(const BackAtDesk&) = delete;
    BackAtDesk& operator=(const BackAtDesk&) = delete;

    // The NT line: a message has put the sign up. unlockHeard: the system
    // tells this program of unlocks. passwordOn: the saver asks for the
    // password, as the user's settings have it.
    void SignStarted(bool unlockHeard, bool passwordOn);
    // The 9x line: the saver a message started, waited for, has ended.
    void SaverEnded() { cameBack_(); }
    void Locked() { watch_.Locked(); }
    void Unlocked();

private:
    void Look();

    std::function<void()> cameBack_;
    AwaySignWatch watch_;
    WindowTimer look_;
};

}  // namespace pavlune
