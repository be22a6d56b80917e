#include "win/window_timer.h"

#include "common/error.h"
#include "win/controls.h"

namespace pavlune {

namespace {
constexpr const char* kClassName = "PavluneTimer";
constexpr UINT_PTR kTimerId = 1;
}  // namespace

WindowTimer::WindowTimer(UserDialogs& dialogs, std::function<void()> due) : dialogs_(dialogs), due_(std::move(due)) {
    window_.reset(CreateHiddenWindow(kClassName, &WindowTimer::WindowProc, this));
    if (!window_) throw Error("タイマーを作成できません");
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
