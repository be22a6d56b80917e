// ssmarque.scr, Pavlune's message saver: the Marquee saver that Windows
// Vista and later no longer have, under its file name and reading its
// settings, so that the message Pavlune writes scrolls across the screen.
#include <windows.h>
#include <commctrl.h>

#include "marquee/marquee_dialog.h"
#include "marquee/marquee_registry.h"
#include "marquee/marquee_view.h"
#include "marquee/saver_arguments.h"
#include "win/win_util.h"

namespace {

using pavlune::MarqueeView;

// Metrics of the whole desktop over every monitor; Windows 95 and NT4 know
// none of them and answer 0.
constexpr int kVirtualScreenLeft = 76;    // SM_XVIRTUALSCREEN
constexpr int kVirtualScreenTop = 77;     // SM_YVIRTUALSCREEN
constexpr int kVirtualScreenWidth = 78;   // SM_CXVIRTUALSCREEN
constexpr int kVirtualScreenHeight = 79;  // SM_CYVIRTUALSCREEN

RECT WholeDesktop() {
    int width = GetSystemMetrics(kVirtualScreenWidth);
    int height = GetSystemMetrics(kVirtualScreenHeight);
    if (width <= 0 || height <= 0) return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    int left = GetSystemMetrics(kVirtualScreenLeft);
    int top = GetSystemMetrics(kVirtualScreenTop);
    return RECT{left, top, left + width, top + height};
}

int RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

int RunView(HINSTANCE instance, MarqueeView::Role role, HWND parent, const RECT& bounds) {
    MarqueeView view(instance, role);
    view.Apply(pavlune::ReadMarqueeSettings());
    if (!view.Create(parent, bounds)) return 1;
    return RunMessageLoop();
}

int RunFullScreen(HINSTANCE instance) {
    // The system may start a saver again while this one runs.
    if (FindWindowA(MarqueeView::kScreenClass, nullptr)) return 0;
    return RunView(instance, MarqueeView::Role::Screen, nullptr, WholeDesktop());
}

int RunPreview(HINSTANCE instance, HWND parent) {
    RECT area{};
    if (!IsWindow(parent) || !GetClientRect(parent, &area)) return 0;
    return RunView(instance, MarqueeView::Role::Preview, parent, area);
}

int RunSettings(HINSTANCE instance, HWND owner) {
    pavlune::Win32Dialogs dialogs;
    if (!IsWindow(owner)) owner = nullptr;
    pavlune::WithErrorBox(dialogs, owner, [&] { pavlune::ShowMarqueeDialog(instance, owner, dialogs); });
    return 0;
}

HWND WindowFromNumber(std::uint32_t number) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(number)); }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The trackbar of the settings dialog.
    pavlune::InitCommonControlClasses(ICC_BAR_CLASSES);
    pavlune::SaverArguments arguments = pavlune::ParseSaverArguments(GetCommandLineA());
    switch (arguments.Run) {
        case pavlune::SaverArguments::Mode::FullScreen:
            return RunFullScreen(instance);
        case pavlune::SaverArguments::Mode::Preview:
            return RunPreview(instance, WindowFromNumber(arguments.Window));
        case pavlune::SaverArguments::Mode::Settings:
            return RunSettings(instance, WindowFromNumber(arguments.Window));
        case pavlune::SaverArguments::Mode::Nothing:
            break;
    }
    return 0;
}
