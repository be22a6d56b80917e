#include "win/display_scale.h"

#include "win/handles.h"
#include "win/win_util.h"

namespace pavlune {

DisplayScale DisplayScale::Of(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        ProcAddress<GetDpiForWindowFunction>(GetModuleHandleA("USER32.DLL"), "GetDpiForWindow");
    if (window && getDpiForWindow) {
        if (UINT dpi = getDpiForWindow(window)) return DisplayScale(static_cast<int>(dpi));
    }
    WindowDC dc(window);
    return DisplayScale(dc.get() ? GetDeviceCaps(dc.get(), LOGPIXELSY) : kBaseDpi);
}

RECT DisplayScale::operator()(const RECT& place) const {
    return RECT{(*this)(place.left), (*this)(place.top), (*this)(place.right), (*this)(place.bottom)};
}

}  // namespace pavlune
