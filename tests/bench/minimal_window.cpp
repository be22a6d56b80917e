// One window and a message loop, nothing else: what any Win32 program with a
// window costs, as the measure beside the message saver's memory. Built with
// MINIMAL_TRAY it is a hidden window with a tray icon that ends when asked to
// close: the measure beside Pavlune's own exit in exit_bench.py.
#include <windows.h>
#ifdef MINIMAL_TRAY
#include <shellapi.h>
#endif

namespace {

#ifdef MINIMAL_TRAY
NOTIFYICONDATAA Icon(HWND window) {
    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;  // the first form of the record: every Windows knows it
    icon.hWnd = window;
    icon.uID = 1;
    return icon;
}
#endif

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
#ifdef MINIMAL_TRAY
    if (message == WM_CLOSE) {
        NOTIFYICONDATAA icon = Icon(window);
        Shell_NotifyIconA(NIM_DELETE, &icon);
    }
#endif
    if (message == WM_DESTROY) {
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
    windowClass.lpszClassName = "PavluneMinimalWindow";
    if (!RegisterClassA(&windowClass)) return 1;
#ifdef MINIMAL_TRAY
    const DWORD style = WS_OVERLAPPEDWINDOW;  // hidden, as Pavlune's main window
#else
    const DWORD style = WS_POPUP | WS_VISIBLE;
#endif
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", style, 0, 0, 100, 100, nullptr, nullptr, instance,
                                  nullptr);
    if (!window) return 1;
#ifdef MINIMAL_TRAY
    NOTIFYICONDATAA icon = Icon(window);
    icon.uFlags = NIF_ICON | NIF_TIP;
    icon.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpyA(icon.szTip, "minimal");
    Shell_NotifyIconA(NIM_ADD, &icon);
#endif
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
