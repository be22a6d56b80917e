#include "app/tray_icon.h"

#include <cstring>

#include "win/display_scale.h"
#include "win/win_util.h"

namespace pavlune {

namespace {
// The record of Windows 95 and NT4, and the longer one of 2000 and Me, which
// every later shell accepts. The older shells refuse the longer record.
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V1_SIZE == 88);
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V2_SIZE == 488);

// A shell not ready at log-on usually is within seconds; a minute covers a
// slow start.
constexpr UINT kRetryMilliseconds = 2000;
constexpr int kRetries = 30;
}  // namespace

bool SystemNotifyArea::Notify(DWORD message, NOTIFYICONDATAA& record) {
    return Shell_NotifyIconA(message, &record) != FALSE;
}

SystemNotifyArea& SystemNotifyArea::Instance() {
    static SystemNotifyArea shell;
    return shell;
}

TrayIcon::TrayIcon(const Context& context) : context_(context), retry_(context.Dialogs, [this] { TryShow(); }) {}

void TrayIcon::Show() {
    triesLeft_ = kRetries;
    retry_.Stop();
    const int size = TrayPictureSize(context_.Window);
    picture_.reset(static_cast<HICON>(
        LoadImageA(context_.Instance, MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, 0)));
    TryShow();
}

void TrayIcon::TryShow() {
    NOTIFYICONDATAA record = Record(true);
    // A restarted shell has lost the icon; one that only changed its scale
    // still holds it and takes the new picture.
    shown_ = context_.Shell.Notify(NIM_ADD, record) || context_.Shell.Notify(NIM_MODIFY, record);
    if (!shown_) {
        if (triesLeft_-- > 0) retry_.Start(kRetryMilliseconds);
        return;
    }
    keyboard_ = false;
    if (context_.Version.NewerNotifyIcons) {
        record.uVersion = NOTIFYICON_VERSION;
        keyboard_ = context_.Shell.Notify(NIM_SETVERSION, record);
    }
    if (context_.Shown) context_.Shown();
}

void TrayIcon::Remove() {
    retry_.Stop();
    if (!shown_) return;
    NOTIFYICONDATAA record = Record(false);
    context_.Shell.Notify(NIM_DELETE, record);
    shown_ = false;
}

// Shells that send the newer messages still send the mouse's as well: a
// click acts on the newer one only, so it acts once.
TrayIcon::Request TrayIcon::Translate(UINT message) const {
    switch (message) {
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
            return Request::DefaultMessage;
        case WM_LBUTTONDOWN:
            return keyboard_ ? Request::None : Request::MessageMenu;
        case WM_RBUTTONDOWN:
            return keyboard_ ? Request::None : Request::CommandMenu;
        case NIN_SELECT:
        case NIN_KEYSELECT:
            return keyboard_ ? Request::MessageMenu : Request::None;
        case WM_CONTEXTMENU:
            return keyboard_ ? Request::CommandMenu : Request::None;
    }
    return Request::None;
}

void TrayIcon::GiveFocusBack() {
    if (!keyboard_) return;
    NOTIFYICONDATAA record = Record(false);
    context_.Shell.Notify(NIM_SETFOCUS, record);
}

NOTIFYICONDATAA TrayIcon::Record(bool add) const {
    NOTIFYICONDATAA record{};
    record.cbSize = context_.Version.NewerNotifyIcons ? NOTIFYICONDATAA_V2_SIZE : NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = context_.Window;
    record.uID = kTrayIconId;
    if (add) {
        record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        record.uCallbackMessage = context_.CallbackMessage;
        record.hIcon = picture_.get();
        std::strncpy(record.szTip, kTrayTip, 63);  // the older record holds 64 bytes
    }
    return record;
}

int TrayPictureSize(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
    HMODULE user = GetModuleHandleA("USER32.DLL");
    static const auto getDpiForWindow = ProcAddress<GetDpiForWindowFunction>(user, "GetDpiForWindow");
    static const auto getMetricsForDpi = ProcAddress<GetSystemMetricsForDpiFunction>(user, "GetSystemMetricsForDpi");
    if (getDpiForWindow && getMetricsForDpi) {
        HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
        if (UINT dpi = taskbar ? getDpiForWindow(taskbar) : 0) return getMetricsForDpi(SM_CXSMICON, dpi);
    }
    return DisplayScale::Of(window).SmallIcon();
}

}  // namespace pavlune
