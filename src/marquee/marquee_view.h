// The window in which the message saver's text scrolls: the whole screen,
// the preview of the display settings, or the sample in the settings
// dialog. It draws on a timer, and only the strip of its line that the text
// crosses, through a bitmap of that line, so the text moves without flicker
// and the saver costs little.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "marquee/marquee_settings.h"

namespace pavlune {

inline COLORREF ToColorRef(const MarqueeColor& color) {
    return RGB(color.Red, color.Green, color.Blue);
}

class MarqueeView {
public:
    enum class Role {
        Screen,   // full screen: hides the mouse, ends on a key, a click or a real mouse move
        Preview,  // inside a window of another program, ending with it
        Sample,   // inside the settings dialog
    };

    // The class of the full-screen window, by which a second start finds the first.
    static constexpr const char* kScreenClass = "PavluneMarquee";
    static constexpr const char* kPreviewClass = "PavluneMarqueePreview";

    MarqueeView(HINSTANCE instance, Role role);
    MarqueeView(const MarqueeView&) = delete;
    MarqueeView& operator=(const MarqueeView&) = delete;
    ~MarqueeView();

    // Makes the window over bounds: a top-level window without parent, a
    // child of parent otherwise. False when it cannot be made.
    bool Create(HWND parent, const RECT& bounds);
    // Shows settings from their first frame on.
    void Apply(const MarqueeSettings& settings);
    HWND Handle() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool EndsOnInput(UINT message, LPARAM lParam);
    void MakeLine();
    void FreeLine();
    void Tick();
    void Paint();

    HINSTANCE instance_;
    Role role_;
    HWND window_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int scalePerMille_ = 1000;

    MarqueeSettings settings_ = DefaultMarqueeSettings();
    HFONT font_ = nullptr;
    HDC lineDc_ = nullptr;         // holds lineBitmap_, the text's line as wide as the window
    HBITMAP lineBitmap_ = nullptr;
    HGDIOBJ savedBitmap_ = nullptr;
    HGDIOBJ savedFont_ = nullptr;
    int textWidth_ = 0;
    int lineHeight_ = 0;
    int pixelsPerSecond_ = 1;

    DWORD startTick_ = 0;
    std::int64_t pass_ = -1;
    int left_ = 0;
    int lineTop_ = 0;

    bool mouseSeen_ = false;
    POINT firstMouse_{};
};

}  // namespace pavlune
