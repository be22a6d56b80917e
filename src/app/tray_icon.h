// The program's icon in the notification area. The program has no window:
// without its icon the user cannot reach it, so the icon is put back
// whenever the shell loses it.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>

#include "common/windows_version.h"
#include "win/dialogs.h"
#include "win/handles.h"
#include "win/window_timer.h"

namespace pavlune {

inline constexpr UINT kTrayIconId = 1999;
inline constexpr const char* kTrayTip = "伝言板スタート";

// Shell_NotifyIconA. Tests stand in a shell that is not ready yet: the
// system's own shell cannot be made to refuse.
class NotifyArea {
public:
    virtual ~NotifyArea() = default;
    virtual bool Notify(DWORD message, NOTIFYICONDATAA& record) = 0;
};

class SystemNotifyArea : public NotifyArea {
public:
    bool Notify(DWORD message, NOTIFYICONDATAA& record) override;
    static SystemNotifyArea& Instance();
};

class TrayIcon {
public:
    struct Context {
        HWND Window;           // receives CallbackMessage for the icon's clicks and keys
        UINT CallbackMessage;
        HINSTANCE Instance;    // holds the picture, icon resource 1
        const WindowsVersion& Version;
        NotifyArea& Shell;
        UserDialogs& Dialogs;
        std::function<void()> Shown;  // each time the shell has taken the icon
    };
    // What a message of the icon asks for.
    enum class Request { None, MessageMenu, CommandMenu, DefaultMessage };

    explicit TrayIcon(const Context& context);

    // Puts the icon into the notification area with a picture of the area's
    // present size; a shell that still holds it gets the new picture. When
    // the shell refuses, it is asked again every few seconds for a minute;
    // after that a restarting shell's TaskbarCreated brings the icon.
    void Show();
    void Remove();
    bool Shown() const { return shown_; }

    // The icon's messages arrive as lParam of CallbackMessage.
    Request Translate(UINT message) const;
    // After a menu of the icon closes, the keyboard goes back to the
    // notification area where the user left it.
    void GiveFocusBack();

    // The record handed to the shell.
    NOTIFYICONDATAA Record(bool add) const;

private:
    void TryShow();

    Context context_;
    UniqueIcon picture_;
    WindowTimer retry_;
    int triesLeft_ = 0;
    bool shown_ = false;
    bool keyboard_ = false;  // the shell sends NIN_SELECT, NIN_KEYSELECT and WM_CONTEXTMENU
};

// The side of the notification area's pictures: the taskbar's own scale
// where the system can tell it (Windows 10 1607 and later, which change it
// at run time), else the window's screen's.
int TrayPictureSize(HWND window);

}  // namespace pavlune
