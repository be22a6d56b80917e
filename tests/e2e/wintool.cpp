// A small Windows helper for the end-to-end tests, run in the same Wine
// prefix as the program under test: it finds windows of other processes,
// reads message boxes and answers them.
//   wintool wait-box CAPTION MS      prints the text of a message box
//   wintool press-ok CAPTION         presses OK on that message box
//   wintool wait-window CLASS MS     waits until a top-level window exists
//   wintool close CLASS              posts WM_CLOSE to that window
//   wintool wait-menu MS             waits until a popup menu is open
//   wintool wait-no-menu MS          waits until no popup menu is open
//   wintool tray-delete CLASS ID     removes that window's tray icon, as a
//                                    dying shell loses it
//   wintool taskbar-created          tells every window the shell restarted
//   wintool tray-point               prints "X Y", the screen point of the
//                                    first icon in Wine's tray window
// Exit code 0 on success, 1 when nothing was found in time, 2 on bad usage.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

HWND FindMessageBox(const char* caption) {
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", caption)) != nullptr) {
        if (IsWindowVisible(box)) return box;
    }
    return nullptr;
}

HWND FindOpenMenu() {
    HWND menu = nullptr;
    while ((menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) != nullptr) {
        if (IsWindowVisible(menu)) return menu;
    }
    return nullptr;
}

template <typename Find>
HWND WaitFor(Find find, DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = find()) return window;
        if (GetTickCount() - start >= milliseconds) return nullptr;
        Sleep(50);
    }
}

std::string WindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::string text(length + 1, '\0');
    text.resize(GetWindowTextA(window, text.data(), length + 1));
    return text;
}

// The message of a message box is the static control with id 0xFFFF.
std::string MessageText(HWND box) {
    if (HWND text = GetDlgItem(box, 0xFFFF)) return WindowText(text);
    return {};
}

void Print(const std::string& bytes) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "wait-box" && argc == 4) {
        const char* caption = argv[2];
        HWND box = WaitFor([&] { return FindMessageBox(caption); }, std::stoul(argv[3]));
        if (!box) return 1;
        Print(MessageText(box));
        return 0;
    }
    if (command == "press-ok" && argc == 3) {
        HWND box = FindMessageBox(argv[2]);
        if (!box) return 1;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return 0;
    }
    if (command == "wait-window" && argc == 4) {
        const char* className = argv[2];
        return WaitFor([&] { return FindWindowA(className, nullptr); }, std::stoul(argv[3])) ? 0 : 1;
    }
    if (command == "wait-menu" && argc == 3) {
        return WaitFor(FindOpenMenu, std::stoul(argv[2])) ? 0 : 1;
    }
    if (command == "wait-no-menu" && argc == 3) {
        HWND desktop = GetDesktopWindow();
        return WaitFor([&] { return FindOpenMenu() ? nullptr : desktop; }, std::stoul(argv[2])) ? 0 : 1;
    }
    if (command == "tray-delete" && argc == 4) {
        HWND window = FindWindowA(argv[2], nullptr);
        if (!window) return 1;
        NOTIFYICONDATAA record{};
        record.cbSize = sizeof record;
        record.hWnd = window;
        record.uID = std::stoul(argv[3]);
        return Shell_NotifyIconA(NIM_DELETE, &record) ? 0 : 1;
    }
    if (command == "tray-point" && argc == 2) {
        HWND tray = FindWindowA(nullptr, "Wine System Tray");
        if (!tray || !IsWindowVisible(tray)) return 1;
        // The first icon fills the top-left cell of the tray's client area.
        POINT point{GetSystemMetrics(SM_CXSMICON) / 2 + 2, GetSystemMetrics(SM_CYSMICON) / 2 + 2};
        ClientToScreen(tray, &point);
        Print(std::to_string(point.x) + " " + std::to_string(point.y));
        return 0;
    }
    if (command == "taskbar-created" && argc == 2) {
        SendNotifyMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        return 0;
    }
    if (command == "close" && argc == 3) {
        HWND window = FindWindowA(argv[2], nullptr);
        if (!window) return 1;
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    Print("usage: wintool wait-box CAPTION MS | press-ok CAPTION | wait-window CLASS MS | close CLASS |"
          " wait-menu MS | wait-no-menu MS | tray-delete CLASS ID | taskbar-created | tray-point\n");
    return 2;
}
