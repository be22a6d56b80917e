// A hidden window with a tray icon that ends when asked to close: the
// measure beside Pavlune's own exit in exit_bench.py.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr UINT kIconId = 1;

NOTIFYICONDATAA Icon(HWND window) {
    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;  // the first form of the record: every Windows knows it
    icon.hWnd = window;
    icon.uID = kIconId;
    return icon;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        NOTIFYICONDATAA icon = Icon(window);
        Shell_NotifyIconA(NIM_DELETE, &icon);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "PavluneMinimalTray";
    if (!RegisterClassA(&windowClass)) return 1;
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return 1;
    NOTIFYICONDATAA icon = Icon(window);
    icon.uFlags = NIF_ICON | NIF_TIP;
    icon.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpyA(icon.szTip, "minimal");
    Shell_NotifyIconA(NIM_ADD, &icon);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    DestroyWindow(window);
    return 0;
}
