#include "win/controls.h"

#include "common/error.h"

namespace pavlune {

UniqueFont CreateUiFont(bool underline, DisplayScale scale) {
    return UniqueFont(CreateFontA(scale(12), 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE, SHIFTJIS_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, "ＭＳ Ｐゴシック"));
}

bool RegisterFaceClass(HINSTANCE instance, const char* className, WNDPROC procedure, HICON icon) {
    WNDCLASSEXA windowClass{};
    if (GetClassInfoExA(instance, className, &windowClass)) return true;
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    return RegisterClassExA(&windowClass) != 0;
}

HWND CreateHiddenWindow(const char* className, WNDPROC procedure, void* owner) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    if (!GetClassInfoExA(instance, className, &windowClass)) {
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = className;
        RegisterClassExA(&windowClass);
    }
    HWND window = CreateWindowExA(0, className, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (window) SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return window;
}

std::string WindowText(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

HWND CreateChild(const ChildArgs& args, const char* failure) {
    const RECT& place = args.Place;
    HWND child = CreateWindowExA(args.ExStyle, args.ClassName, args.Text, WS_CHILD | WS_VISIBLE | args.Style,
                                 place.left, place.top, place.right - place.left, place.bottom - place.top,
                                 args.Parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.Id)),
                                 reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(args.Parent, GWLP_HINSTANCE)),
                                 nullptr);
    if (!child) throw Error(failure);
    if (args.Font) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(args.Font), FALSE);
    return child;
}

void PlaceInScreenCentre(HWND window, int clientWidth, int clientHeight) {
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE TextExtent(HWND window, HFONT font, const std::string& text) {
    SIZE extent{};
    WindowDC dc(window);
    HGDIOBJ previous = SelectObject(dc.get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc.get(), previous);
    return extent;
}

}  // namespace pavlune
