#include "app/tray_icon.h"

#include <shellapi.h>

#include <cstring>

namespace pavlune {

namespace {
// The record layout of Windows 2000 and XP, which every later shell accepts
// (488 bytes in the 32-bit program).
constexpr DWORD kRecordSize = NOTIFYICONDATAA_V2_SIZE;
static_assert(sizeof(void*) != 4 || kRecordSize == 488);
}  // namespace

void TrayIcon::TrayNotify(bool add) {
    NOTIFYICONDATAA record = Record(add);
    Shell_NotifyIconA(add ? NIM_ADD : NIM_DELETE, &record);
}

NOTIFYICONDATAA TrayIcon::Record(bool add) const {
    NOTIFYICONDATAA record{};
    record.cbSize = kRecordSize;
    record.hWnd = window_;
    record.uID = kTrayIconId;
    if (add) {
        record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        record.uCallbackMessage = callbackMessage_;
        record.hIcon = icon_;
        std::strncpy(record.szTip, kTrayTip, sizeof record.szTip - 1);
    }
    return record;
}

}  // namespace pavlune
