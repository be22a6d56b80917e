// The screen's scale. Every window of the program is laid out in pixels of
// a 96 dpi screen; a DisplayScale turns those into pixels of the screen the
// window is shown on, so that at 120, 144 or 192 dpi it looks the same,
// only larger.
#pragma once

#include <windows.h>

namespace pavlune {

class DisplayScale {
public:
    static constexpr int kBaseDpi = 96;

    constexpr explicit DisplayScale(int dpi = kBaseDpi) : dpi_(dpi > 0 ? dpi : kBaseDpi) {}

    // The scale of the window's screen as the system gives it: the window's
    // own dpi where the system knows one (Windows 10 1607 and later), else
    // the screen's logical dpi. Null: the whole screen's.
    static DisplayScale Of(HWND window);

    int Dpi() const { return dpi_; }
    // A length or a place laid out for 96 dpi, in this screen's pixels.
    int operator()(int length) const { return MulDiv(length, dpi_, kBaseDpi); }
    RECT operator()(const RECT& place) const;
    // The side of a small picture: a menu's or the notification area's icon.
    int SmallIcon() const { return (*this)(16); }
    // Pixels of this screen as a laid-out length, rounded up so that
    // scaling it back covers them all.
    int Unscale(int pixels) const { return (pixels * kBaseDpi + dpi_ - 1) / dpi_; }

private:
    int dpi_;
};

}  // namespace pavlune
