// The program's icon in the notification area.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace pavlune {

inline constexpr UINT kTrayIconId = 1999;
inline constexpr const char* kTrayTip = "伝言板スタート";

class TrayIcon {
public:
    // callbackMessage arrives at window for mouse events over the icon.
    TrayIcon(HWND window, UINT callbackMessage, HICON icon)
        : window_(window), callbackMessage_(callbackMessage), icon_(icon) {}

    // Adds the icon (add) or removes it. The result is not examined: without
    // a shell there is simply no icon.
    void TrayNotify(bool add);
    // The record handed to the shell for that.
    NOTIFYICONDATAA Record(bool add) const;

private:
    HWND window_;
    UINT callbackMessage_;
    HICON icon_;
};

}  // namespace pavlune
