// The local time of this PC, for stamps and personal messages.
#pragma once

#include <windows.h>

#include "lan/presence.h"

namespace pavlune {

inline LocalTime LocalNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace pavlune
