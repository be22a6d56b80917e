#include "win/window_timer.h"

#include "common/error.h"

namespace pavlune {

namespace {
constexpr const char* kClassName = "PavluneTimer";
constexpr UINT_PTR kTimerId = 1;
}  // namespace

WindowTimer::WindowTimer(UserDialogs& dialogs, std::function<void()> due) : dialogs_(dialogs), due_(std::move(due)) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &WindowTimer::WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    if (!GetClassInfoExA(windowClass.hInstance, kClassName, &windowClass)) RegisterClassExA(&windowClass);
    // A hidden ordinary window: the message-only kind is unknown before Windows 2000.
    window_.reset(CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr));
    if (!window_) throw Error("タイマーを作成できません");
    SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void WindowTimer::Start(UINT milliseconds) {
    running_ = SetTimer(window_.get(), kTimerId, milliseconds, nullptr) != 0;
}

void WindowTimer::Stop() {
    KillTimer(window_.get(), kTimerId);
    running_ = false;
}

LRESULT CALLBACK WindowTimer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A polite taskkill asks every top-level window to close: this one stays.
    if (message == WM_CLOSE) return 0;
    auto* timer = reinterpret_cast<WindowTimer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message != WM_TIMER || !timer) return DefWindowProcA(window, message, wParam, lParam);
    timer->Stop();
    WithErrorBox(timer->dialogs_, nullptr, [timer] { timer->due_(); });
    return 0;
}

}  // namespace pavlune
