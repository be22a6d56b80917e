// A small Windows helper for the end-to-end tests, run in the same Wine
// prefix as the program under test: it finds windows of other processes,
// reads message boxes and answers them.
//   wintool wait-box CAPTION MS      prints the text of a message box
//   wintool press-ok CAPTION         presses OK on that message box
//   wintool wait-window CLASS MS     waits until a top-level window exists
//   wintool close CLASS              posts WM_CLOSE to that window
//   wintool end-session CLASS        ends the session for that window, as Windows does
//   wintool wait-menu MS             waits until a popup menu is open
//   wintool wait-no-menu MS          waits until no popup menu is open
//   wintool menu-point               prints "X Y", a point in the first item of
//                                    the popup menu on top (a submenu when open)
//   wintool tray-delete CLASS ID     removes that window's tray icon, as a
//                                    dying shell loses it
//   wintool taskbar-created          tells every window the shell restarted
//   wintool tray-point CLASS ID      prints "X Y", the screen point of the
//                                    tray icon ID of the window of CLASS
//   wintool keys NAME...             presses those keys (xdotool's names:
//                                    Return, Escape, space, Tab, Up, Down,
//                                    Left, Right, or one character)
//   wintool visible-windows CLASS    prints the title of each visible top-
//                                    level window of the process of CLASS
//   wintool read-list TITLE          prints the rows of the report list in
//                                    the window TITLE, cells split by TAB
//   wintool list-point TITLE ROW     prints "X Y", the screen point of a row
//   wintool ping CLASS MS            exit 0 when that window answers in time
//   wintool post CLASS MSG W L       posts message MSG with W and L to the
//                                    window of CLASS, as the shell (the tray
//                                    icon's 33673) or the system does
//   wintool saver-settings           prints "TIMEOUT ACTIVE": the screen
//                                    saver's time-out (seconds) and flag
//   wintool field-point CAPTION      prints "X Y", the screen point of the
//                                    first edit field of the dialog CAPTION
//   wintool set-text CAPTION TEXT [N]  puts TEXT into the first (or Nth from 0)
//                                    edit field of the dialog CAPTION, as typing would
//                                    (Japanese needs an input method here)
//   wintool idle-saver MS            for MS milliseconds (0: until ended),
//                                    does what Windows does and Wine does
//                                    not: once the saver is active and no
//                                    input came for its time-out, starts the
//                                    current saver (SYSTEM.INI [boot]
//                                    SCRNSAVE.EXE) with "/s", prints its path
//                                    and waits until it ends
//   wintool refill-time TITLE N      sends N status records for the name
//                                    "AAAA" (first in name order) to the
//                                    presence port on 127.0.0.1 and prints,
//                                    for each, the milliseconds until row 0
//                                    of the list in TITLE shows it
//   wintool list-watch TITLE ROWS MS until the list in TITLE holds ROWS rows
//                                    (at most MS), prints the milliseconds
//                                    from its first new row, the longest the
//                                    list took to answer meanwhile, and the
//                                    rows reached
// Exit code 0 on success, 1 when nothing was found in time, 2 on bad usage.
#include <winsock.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
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

HWND FindList(const char* title) {
    HWND window = FindWindowA(nullptr, title);
    return window ? FindWindowExA(window, nullptr, WC_LISTVIEWA, nullptr) : nullptr;
}

// A buffer inside the process that owns a list view: list view messages
// carry pointers, and those must point into the owner's memory.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, SIZE_T size) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (process_) address_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteBuffer() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Ready() const { return address_ != nullptr; }
    char* Address(SIZE_T offset = 0) const { return address_ + offset; }
    void Write(const void* data, SIZE_T size, SIZE_T offset = 0) const {
        WriteProcessMemory(process_, address_ + offset, data, size, nullptr);
    }
    void Read(void* data, SIZE_T size, SIZE_T offset = 0) const {
        ReadProcessMemory(process_, address_ + offset, data, size, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    char* address_ = nullptr;
};

constexpr int kCellTextSize = 1024;

// The text of one cell of another process's report list, read through a
// buffer of sizeof(LVITEMA) + kCellTextSize bytes in that process.
std::string CellText(const RemoteBuffer& remote, HWND list, int row, int column) {
    LVITEMA item{};
    item.iSubItem = column;
    item.cchTextMax = kCellTextSize;
    item.pszText = remote.Address(sizeof(LVITEMA));
    remote.Write(&item, sizeof item);
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote.Address()));
    char text[kCellTextSize] = {};
    remote.Read(text, kCellTextSize - 1, sizeof(LVITEMA));
    return text;
}

// Reads every cell of another process's report list.
std::string ReadList(HWND list) {
    RemoteBuffer remote(list, sizeof(LVITEMA) + kCellTextSize);
    if (!remote.Ready()) return {};
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int columns = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::string out;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            if (column) out += '\t';
            out += CellText(remote, list, row, column);
        }
        out += '\n';
    }
    return out;
}

struct EditSearch {
    int Skip;  // edit fields still to pass over
    HWND Found = nullptr;
};

BOOL CALLBACK KeepEdit(HWND child, LPARAM search) {
    char name[16] = "";
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Edit") != 0) return TRUE;
    auto* wanted = reinterpret_cast<EditSearch*>(search);
    if (wanted->Skip-- > 0) return TRUE;
    wanted->Found = child;
    return FALSE;
}

// The edit field of that index (0: the first) among a window's children (a
// combo box's included), in their order.
HWND FirstEdit(HWND window, int index = 0) {
    EditSearch search{index};
    EnumChildWindows(window, KeepEdit, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// The screen point a little inside the label of one row.
bool RowPoint(HWND list, int row, POINT& point) {
    RemoteBuffer remote(list, sizeof(RECT));
    if (!remote.Ready()) return false;
    RECT bounds{};
    bounds.left = LVIR_LABEL;
    remote.Write(&bounds, sizeof bounds);
    if (!SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote.Address()))) return false;
    remote.Read(&bounds, sizeof bounds);
    point = {bounds.left + 8, (bounds.top + bounds.bottom) / 2};
    return ClientToScreen(list, &point) != FALSE;
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

// Whether the shell holds the icon id of the window of that class: only
// then does a change of nothing succeed.
bool TrayHoldsIcon(const char* windowClass, UINT id) {
    NOTIFYICONDATAA record{};
    record.cbSize = sizeof record;
    record.hWnd = FindWindowA(windowClass, nullptr);
    record.uID = id;
    return record.hWnd && Shell_NotifyIconA(NIM_MODIFY, &record);
}

// Where the program's icon, the only one, sits. In a Wine virtual desktop
// the notification area is the right end of the taskbar, each icon in a cell
// of the small icon size and 2 pixels around it, the first one rightmost.
// Without a desktop Wine's own tray window holds it in its top-left cell.
bool TrayIconPoint(POINT& point) {
    const int cell = GetSystemMetrics(SM_CXSMICON) + 4;
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    RECT client{};
    if (tray && IsWindowVisible(tray) && GetClientRect(tray, &client)) {
        point = {client.right - cell / 2, client.bottom / 2};
    } else {
        tray = FindWindowA(nullptr, "Wine System Tray");
        if (!tray || !IsWindowVisible(tray)) return false;
        point = {cell / 2, cell / 2};
    }
    return ClientToScreen(tray, &point) != FALSE;
}

// Presses and lets go each key, named as xdotool names them ("Return",
// "Down", "a", ...), as a keyboard would: through the system's input, so
// they go to whatever window has the keyboard. (In a Wine desktop on a
// display without a window manager, Wine drops the X server's key events.)
int PressKeys(char** names, int count) {
    static const struct {
        const char* name;
        WORD key;
    } kNamed[] = {{"Return", VK_RETURN}, {"Escape", VK_ESCAPE}, {"space", VK_SPACE}, {"Tab", VK_TAB},
                  {"Up", VK_UP},         {"Down", VK_DOWN},     {"Left", VK_LEFT},   {"Right", VK_RIGHT}};
    for (int i = 0; i < count; ++i) {
        WORD key = 0;
        for (const auto& named : kNamed) {
            if (std::string(names[i]) == named.name) key = named.key;
        }
        if (!key && std::strlen(names[i]) == 1) key = LOBYTE(VkKeyScanA(names[i][0]));
        if (!key) return 2;
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = key;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        if (SendInput(2, input, sizeof(INPUT)) != 2) return 1;
        Sleep(100);
    }
    return 0;
}

// The title of each visible top-level window of window's process, one a line.
std::string VisibleWindowsOf(HWND window) {
    DWORD owner = 0, process = 0;
    GetWindowThreadProcessId(window, &owner);
    std::string found;
    for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT)) {
        GetWindowThreadProcessId(top, &process);
        if (process == owner && IsWindowVisible(top)) found += WindowText(top) + "\n";
    }
    return found;
}

void Print(const std::string& bytes) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

// Times the way of one status record from the socket to the refilled list.
int RefillTimes(HWND list, int count) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 1;
    SOCKET sock = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(5963);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    RemoteBuffer remote(list, sizeof(LVITEMA) + kCellTextSize);
    int result = remote.Ready() ? 0 : 1;
    for (int probe = 0; probe < count && result == 0; ++probe) {
        std::string whereabouts = "probe" + std::to_string(probe);
        std::string text = "2002/01/01 00:00:00\\" + whereabouts + "\\AAAA\\bench";
        LARGE_INTEGER start, now;
        QueryPerformanceCounter(&start);
        sendto(sock, text.c_str(), static_cast<int>(text.size() + 1), 0, reinterpret_cast<const sockaddr*>(&to),
               sizeof to);
        for (;;) {
            // The list answers only between two datagrams, so the clock is
            // read after the answer: a refill in progress holds the reply.
            bool shown = CellText(remote, list, 0, 1) == whereabouts;
            QueryPerformanceCounter(&now);
            if (shown) break;
            if ((now.QuadPart - start.QuadPart) / frequency.QuadPart > 60) {
                result = 1;
                break;
            }
            Sleep(1);
        }
        Print(std::to_string((now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart) + "\n");
    }
    closesocket(sock);
    WSACleanup();
    return result;
}

// A screen saver setting as another program set it just now. Wine keeps
// system parameters in a per-process cache, so SystemParametersInfo would
// go on showing this program the value it read first; a change made without
// saving it lives in Wine's volatile key, a saved one in the desktop key.
UINT DesktopSetting(const char* name, UINT fallback) {
    for (const char* path : {"Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop",
                             "Control Panel\\Desktop"}) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) continue;
        char value[32] = {};
        DWORD size = sizeof value - 1, type = 0;
        LONG read = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
        RegCloseKey(key);
        if (read == ERROR_SUCCESS && type == REG_SZ) return static_cast<UINT>(std::strtoul(value, nullptr, 10));
    }
    return fallback;
}

// Watches the list while records arrive: prints how long it took from the
// first new row to ROWS rows, and the longest the list's window took to
// answer a message meanwhile, both in milliseconds, and the rows reached.
int WatchList(HWND list, int rows, DWORD milliseconds) {
    LARGE_INTEGER frequency, start, first{}, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    auto ms = [&](const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
        return (to.QuadPart - from.QuadPart) * 1000.0 / frequency.QuadPart;
    };
    DWORD_PTR count = 0, initial = 0;
    if (!SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 30000, &initial)) return 1;
    double longest = 0;
    do {
        Sleep(5);
        QueryPerformanceCounter(&before);
        if (!SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 30000, &count)) return 1;
        QueryPerformanceCounter(&after);
        longest = std::max(longest, ms(before, after));
        if (!first.QuadPart && count > initial) first = after;
    } while (static_cast<int>(count) < rows && ms(start, after) <= milliseconds);
    Print(std::to_string(first.QuadPart ? ms(first, after) : 0.0) + " " + std::to_string(longest) + " " +
          std::to_string(count) + "\n");
    return static_cast<int>(count) >= rows ? 0 : 1;
}

int IdleSaver(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    DWORD quietSince = start;  // a saver that ended counts as input
    while (milliseconds == 0 || GetTickCount() - start < milliseconds) {
        Sleep(200);
        UINT timeout = 0;
        BOOL active = FALSE;
        SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
        SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
        timeout = DesktopSetting("ScreenSaveTimeOut", timeout);
        active = DesktopSetting("ScreenSaveActive", active) != 0;
        LASTINPUTINFO input{sizeof input, 0};
        GetLastInputInfo(&input);
        DWORD idle = GetTickCount() - std::max(input.dwTime, quietSince);
        if (!active || timeout == 0 || idle < timeout * 1000) continue;
        char saver[MAX_PATH] = {};
        GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", saver, sizeof saver, "SYSTEM.INI");
        if (!saver[0]) continue;
        std::string commandLine = std::string("\"") + saver + "\" /s";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &process)) {
            Print(std::string(saver) + "\n");
            WaitForSingleObject(process.hProcess, INFINITE);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        quietSince = GetTickCount();
    }
    return 0;
}

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
    if (command == "menu-point" && argc == 2) {
        HWND menu = FindOpenMenu();
        RECT bounds{};
        if (!menu || !GetWindowRect(menu, &bounds)) return 1;
        // Inside the first item, clear of the frame and of the picture column.
        Print(std::to_string(bounds.left + 40) + " " + std::to_string(bounds.top + 12));
        return 0;
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
    if (command == "tray-point" && argc == 4) {
        POINT point{};
        if (!TrayIconPoint(point) || !TrayHoldsIcon(argv[2], std::stoul(argv[3]))) return 1;
        Print(std::to_string(point.x) + " " + std::to_string(point.y));
        return 0;
    }
    if (command == "keys" && argc > 2) return PressKeys(argv + 2, argc - 2);
    if (command == "visible-windows" && argc == 3) {
        HWND window = FindWindowA(argv[2], nullptr);
        if (!window) return 1;
        Print(VisibleWindowsOf(window));
        return 0;
    }
    if (command == "read-list" && argc == 3) {
        HWND list = FindList(argv[2]);
        if (!list) return 1;
        Print(ReadList(list));
        return 0;
    }
    if (command == "list-point" && argc == 4) {
        HWND list = FindList(argv[2]);
        if (!list) return 1;
        POINT point{};
        if (!RowPoint(list, std::stoi(argv[3]), point)) return 1;
        Print(std::to_string(point.x) + " " + std::to_string(point.y));
        return 0;
    }
    if (command == "idle-saver" && argc == 3) {
        return IdleSaver(std::stoul(argv[2]));
    }
    if (command == "list-watch" && argc == 5) {
        HWND list = FindList(argv[2]);
        return list ? WatchList(list, std::stoi(argv[3]), std::stoul(argv[4])) : 1;
    }
    if (command == "refill-time" && argc == 4) {
        HWND list = FindList(argv[2]);
        return list ? RefillTimes(list, std::stoi(argv[3])) : 1;
    }
    if (command == "post" && argc == 6) {
        HWND window = FindWindowA(argv[2], nullptr);
        if (!window) return 1;
        return PostMessageA(window, std::stoul(argv[3], nullptr, 0), std::stoul(argv[4], nullptr, 0),
                            std::stol(argv[5], nullptr, 0)) ? 0 : 1;
    }
    if (command == "saver-settings" && argc == 2) {
        UINT timeout = 0;
        BOOL active = FALSE;
        SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
        SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
        Print(std::to_string(timeout) + " " + (active ? "1" : "0"));
        return 0;
    }
    if (command == "field-point" && argc == 3) {
        HWND box = FindMessageBox(argv[2]);
        HWND field = box ? FirstEdit(box) : nullptr;
        if (!field) return 1;
        RECT bounds;
        GetWindowRect(field, &bounds);
        Print(std::to_string((bounds.left + bounds.right) / 2) + " " + std::to_string((bounds.top + bounds.bottom) / 2));
        return 0;
    }
    if (command == "set-text" && (argc == 4 || argc == 5)) {
        HWND box = FindMessageBox(argv[2]);
        if (!box) return 1;
        HWND field = FirstEdit(box, argc == 5 ? atoi(argv[4]) : 0);
        if (!field) return 1;
        SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
        return 0;
    }
    if (command == "ping" && argc == 4) {
        HWND window = FindWindowA(argv[2], nullptr);
        DWORD_PTR result = 0;
        return window && SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, std::stoul(argv[3]), &result)
                   ? 0
                   : 1;
    }
    if (command == "taskbar-created" && argc == 2) {
        SendNotifyMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        return 0;
    }
    if (command == "end-session" && argc == 3) {
        HWND window = FindWindowA(argv[2], nullptr);
        return window && SendMessageA(window, WM_QUERYENDSESSION, 0, 0) && !SendMessageA(window, WM_ENDSESSION, TRUE, 0)
                   ? 0
                   : 1;
    }
    if (command == "close" && argc == 3) {
        HWND window = FindWindowA(argv[2], nullptr);
        if (!window) return 1;
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    Print("usage: wintool wait-box CAPTION MS | press-ok CAPTION | wait-window CLASS MS | close CLASS |"
          " wait-menu MS | wait-no-menu MS | menu-point | tray-delete CLASS ID | taskbar-created | tray-point CLASS ID |"
          " read-list TITLE | list-point TITLE ROW | ping CLASS MS | idle-saver MS | refill-time TITLE N |"
          " list-watch TITLE ROWS MS | end-session CLASS |"
          " set-text CAPTION TEXT [N] | field-point CAPTION | keys NAME... | post CLASS MSG W L | saver-settings | visible-windows CLASS\n");
    return 2;
}
