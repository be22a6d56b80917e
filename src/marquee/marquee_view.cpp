#include "marquee/marquee_view.h"

#include <algorithm>

#include "marquee/marquee_motion.h"

namespace pavlune {

namespace {

constexpr UINT_PTR kFrameTimer = 1;
// About 33 frames a second: smooth to the eye, and the system timers of
// the 9x line cannot go much finer anyway.
constexpr UINT kFrameMilliseconds = 30;

// Fills a rectangle with the DC's background colour: ExtTextOutA without
// text needs no brush.
void FillWithBackground(HDC dc, const RECT& area) {
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &area, "", 0, nullptr);
}

bool RegisterViewClass(HINSTANCE instance, const char* className, WNDPROC procedure, HCURSOR cursor) {
    WNDCLASSA windowClass{};
    if (GetClassInfoA(instance, className, &windowClass)) return true;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    windowClass.hCursor = cursor;
    windowClass.lpszClassName = className;
    return RegisterClassA(&windowClass) != 0;
}

}  // namespace

MarqueeView::MarqueeView(HINSTANCE instance, Role role) : instance_(instance), role_(role) {}

MarqueeView::~MarqueeView() {
    if (window_) DestroyWindow(window_);
    FreeLine();
}

bool MarqueeView::Create(HWND parent, const RECT& bounds) {
    const bool screen = role_ == Role::Screen;
    const char* className = screen ? kScreenClass : kPreviewClass;
    // No cursor of its own on the screen: the mouse stays hidden.
    HCURSOR cursor = screen ? nullptr : LoadCursorA(nullptr, IDC_ARROW);
    if (!RegisterViewClass(instance_, className, &MarqueeView::WindowProc, cursor)) return false;

    width_ = std::max(1, static_cast<int>(bounds.right - bounds.left));
    height_ = std::max(1, static_cast<int>(bounds.bottom - bounds.top));
    // A preview is a small picture of the screen: letters and speed shrink with it.
    if (!screen) scalePerMille_ = std::max(1, height_ * 1000 / std::max(1, GetSystemMetrics(SM_CYSCREEN)));

    DWORD style = parent ? WS_CHILD | WS_VISIBLE : WS_POPUP | WS_VISIBLE;
    DWORD exStyle = screen ? WS_EX_TOPMOST | WS_EX_TOOLWINDOW : 0;
    window_ = CreateWindowExA(exStyle, className, "", style, bounds.left, bounds.top, width_, height_, parent,
                              nullptr, instance_, this);
    if (!window_) return false;
    MakeLine();
    SetTimer(window_, kFrameTimer, kFrameMilliseconds, nullptr);
    if (screen) {
        SetForegroundWindow(window_);
        ShowCursor(FALSE);
    }
    return true;
}

void MarqueeView::Apply(const MarqueeSettings& settings) {
    settings_ = settings;
    if (window_) {
        MakeLine();
        InvalidateRect(window_, nullptr, FALSE);
    }
}

LRESULT CALLBACK MarqueeView::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<MarqueeView*>(create->lpCreateParams)->window_ = window;
    }
    auto* view = reinterpret_cast<MarqueeView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!view) return DefWindowProcA(window, message, wParam, lParam);
    // No exception may enter the system; a saver that cannot draw simply ends.
    try {
        return view->Dispatch(message, wParam, lParam);
    } catch (...) {
        if (view->role_ != Role::Sample) PostQuitMessage(1);
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT MarqueeView::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (role_ == Role::Screen && EndsOnInput(message, lParam)) {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        return 0;
    }
    switch (message) {
        case WM_TIMER:
            if (wParam == kFrameTimer) Tick();
            return 0;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers everything
        case WM_SETCURSOR:
            if (role_ != Role::Screen) break;
            SetCursor(nullptr);
            return TRUE;
        case WM_SYSCOMMAND:
            // The system would start the current saver over this one.
            if (role_ == Role::Screen && (wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
            break;
        case WM_DESTROY:
            KillTimer(window_, kFrameTimer);
            if (role_ != Role::Sample) PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: {
            // The window is gone; this object may outlive it.
            HWND window = window_;
            window_ = nullptr;
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            return DefWindowProcA(window, message, wParam, lParam);
        }
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

bool MarqueeView::EndsOnInput(UINT message, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDOWN:
            return true;
        case WM_MOUSEMOVE: {
            const int x = static_cast<short>(LOWORD(lParam));
            const int y = static_cast<short>(HIWORD(lParam));
            if (!mouseSeen_) {
                mouseSeen_ = true;
                firstMouse_ = {x, y};
                return false;
            }
            return IsRealMouseMove(firstMouse_.x, firstMouse_.y, x, y);
        }
    }
    return false;
}

void MarqueeView::MakeLine() {
    FreeLine();
    HDC screen = GetDC(window_);
    const int pixels = MulDiv(settings_.Size, GetDeviceCaps(screen, LOGPIXELSY), 72);
    const int height = std::max(1, pixels * scalePerMille_ / 1000);
    font_ = CreateFontA(-height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, static_cast<BYTE>(settings_.CharSet),
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                        settings_.Font.c_str());
    lineDc_ = CreateCompatibleDC(screen);
    savedFont_ = SelectObject(lineDc_, font_);
    SIZE extent{};
    GetTextExtentPoint32A(lineDc_, settings_.Text.c_str(), static_cast<int>(settings_.Text.size()), &extent);
    TEXTMETRICA metrics{};
    GetTextMetricsA(lineDc_, &metrics);
    textWidth_ = extent.cx;
    lineHeight_ = std::max(1, static_cast<int>(metrics.tmHeight));
    lineBitmap_ = CreateCompatibleBitmap(screen, width_, lineHeight_);
    ReleaseDC(window_, screen);
    savedBitmap_ = SelectObject(lineDc_, lineBitmap_);
    SetTextColor(lineDc_, ToColorRef(settings_.TextColor));
    SetBkColor(lineDc_, ToColorRef(settings_.BackgroundColor));
    SetBkMode(lineDc_, TRANSPARENT);

    pixelsPerSecond_ = PixelsPerSecond(settings_.Speed, scalePerMille_);
    startTick_ = GetTickCount();
    pass_ = -1;
    left_ = width_;
}

void MarqueeView::FreeLine() {
    if (lineDc_) {
        SelectObject(lineDc_, savedBitmap_);
        SelectObject(lineDc_, savedFont_);
        DeleteDC(lineDc_);
    }
    if (lineBitmap_) DeleteObject(lineBitmap_);
    if (font_) DeleteObject(font_);
    lineDc_ = nullptr;
    lineBitmap_ = nullptr;
    font_ = nullptr;
}

void MarqueeView::Tick() {
    // A preview goes with the window it was drawn in.
    if (role_ == Role::Preview && !IsWindow(GetParent(window_))) {
        DestroyWindow(window_);
        return;
    }
    const MarqueeFrame frame = FrameAt(GetTickCount() - startTick_, pixelsPerSecond_, width_, textWidth_);
    if (frame.Pass != pass_) {
        // A new pass on another line: the old line is cleared with the rest.
        pass_ = frame.Pass;
        left_ = frame.Left;
        lineTop_ = LineTop(pass_, height_, lineHeight_);
        InvalidateRect(window_, nullptr, FALSE);
        return;
    }
    if (frame.Left == left_) return;

    // Only the strip from the text's old place to its new one changes.
    RECT strip{std::max(0, std::min(left_, frame.Left)), 0,
               std::min(width_, std::max(left_, frame.Left) + textWidth_), lineHeight_};
    left_ = frame.Left;
    if (strip.right <= strip.left) return;
    FillWithBackground(lineDc_, strip);
    ExtTextOutA(lineDc_, left_, 0, ETO_CLIPPED, &strip, settings_.Text.c_str(),
                static_cast<UINT>(settings_.Text.size()), nullptr);
    HDC dc = GetDC(window_);
    BitBlt(dc, strip.left, lineTop_, strip.right - strip.left, lineHeight_, lineDc_, strip.left, 0, SRCCOPY);
    ReleaseDC(window_, dc);
}

void MarqueeView::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    const RECT line{0, 0, width_, lineHeight_};
    FillWithBackground(lineDc_, line);
    ExtTextOutA(lineDc_, left_, 0, 0, nullptr, settings_.Text.c_str(), static_cast<UINT>(settings_.Text.size()),
                nullptr);
    BitBlt(dc, 0, lineTop_, width_, lineHeight_, lineDc_, 0, 0, SRCCOPY);
    ExcludeClipRect(dc, 0, lineTop_, width_, lineTop_ + lineHeight_);
    SetBkColor(dc, ToColorRef(settings_.BackgroundColor));
    FillWithBackground(dc, paint.rcPaint);
    EndPaint(window_, &paint);
}

}  // namespace pavlune
