// A one-shot timer that runs its action on the thread that made it, through
// a hidden window of its own, so that its owner needs no window procedure.
// Errors of the action are shown in the error box.
#pragma once

#include <windows.h>

#include <functional>

#include "win/dialogs.h"
#include "win/handles.h"

namespace pavlune {

class WindowTimer {
public:
    WindowTimer(UserDialogs& dialogs, std::function<void()> due);
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;

    // Runs the action once, that many milliseconds from now; a timer already
    // running starts again from now.
    void Start(UINT milliseconds);
    void Stop();
    bool Running() const { return running_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    UserDialogs& dialogs_;
    std::function<void()> due_;
    bool running_ = false;
    UniqueOwnedWindow window_;
};

}  // namespace pavlune
