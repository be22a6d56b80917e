// A stand-in for a system screen saver, for the Windows tests. Copied into
// the system directory under a saver's name (ssmarque.scr, 伝言板.SCR...), it
// writes down how it was started and what it found, then ends by itself.
//
// Log: "standin.log" in the folder of the running file, one line per event,
// fields separated by a tab, lines ended by CR LF (tabs and line breaks
// inside a field are written as blanks):
//
//   event <TAB> module <TAB> command line <TAB> arguments <TAB> source <TAB> text <TAB> active <TAB> time-out
//
//   event         "start" when it starts, "end" just before it ends
//   module        its own full file name (GetModuleFileNameA)
//   command line  GetCommandLineA() as it is
//   arguments     the arguments after the program name as the C runtime
//                 splits them, each in brackets: "[/S]"; empty for none
//   source        where its text lives, as the saver of its file name keeps
//                 it: "Control Panel\Screen Saver.Marquee" (a key under
//                 HKEY_CURRENT_USER) for ssmarque, "...3DText" for sstext3d;
//                 "CONTROL.INI [Screen Saver.伝言板]" for 伝言板, "CONTROL.INI
//                 [Screen Saver.3DText]" for either 3D テキスト (OpenGL) name;
//                 "-" for any other name
//   text          the "Text" found there now; empty when there is none
//   active        the screen-saver-active flag now: "1" or "0"
//   time-out      the screen saver time-out now, in seconds
//
// With "/S" it runs until its hidden window of class "PavluneStandInSaver"
// receives WM_CLOSE, or for the milliseconds in the environment variable
// PAVLUNE_STANDIN_MS (2000 without it). Without arguments or with "/c" (the
// configuration, as the shell's "config" verb starts a saver) and with any
// other switch it writes its end line right after the start line.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "common/paths.h"
#include "common/sjis.h"

namespace {

constexpr const char* kWindowClass = "PavluneStandInSaver";
constexpr UINT kDefaultRunMilliseconds = 2000;
constexpr UINT kLongestRunMilliseconds = 60000;
constexpr UINT_PTR kEndTimer = 1;

std::string ModulePath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

struct TextSource {
    std::string Label;
    bool Registry = false;
    std::string Location;  // the registry key or the CONTROL.INI section
};

bool SameName(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

TextSource SourceOf(const std::string& module) {
    std::string title = pavlune::ChangeFileExt(module.substr(pavlune::ExtractFilePath(module).size()), "");
    auto registry = [](const char* name) {
        std::string key = std::string("Control Panel\\Screen Saver.") + name;
        return TextSource{key, true, key};
    };
    auto controlIni = [](const char* name) {
        std::string section = std::string("Screen Saver.") + name;
        return TextSource{"CONTROL.INI [" + section + "]", false, section};
    };
    if (SameName(title, "ssmarque")) return registry("Marquee");
    if (SameName(title, "sstext3d")) return registry("3DText");
    if (SameName(title, "伝言板")) return controlIni("伝言板");
    if (SameName(title, "3D テキスト (OpenGL)") || SameName(title, "3D ﾃｷｽﾄ (OpenGL)")) return controlIni("3DText");
    return {"-", false, ""};
}

std::string ReadText(const TextSource& source) {
    if (source.Location.empty()) return {};
    if (!source.Registry) {
        char text[2048] = {};
        GetPrivateProfileStringA(source.Location.c_str(), "Text", "", text, sizeof text, "CONTROL.INI");
        return text;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, source.Location.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    char text[2048] = {};
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, "Text", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return {};
    return text;
}

std::string Arguments() {
    std::string arguments;
    for (int i = 1; i < __argc; ++i) arguments += std::string("[") + __argv[i] + "]";
    return arguments;
}

// Tabs and line breaks would break the line format; no second byte of a
// two-byte character is below 0x40, but the walk keeps that obvious.
std::string Field(const std::string& text) {
    std::string field;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = pavlune::CharLength(text, pos);
        char first = text[pos];
        if (length == 1 && (first == '\t' || first == '\r' || first == '\n')) field += ' ';
        else field.append(text, pos, length);
        pos += length;
    }
    return field;
}

bool ScreenSaverActive() {
    BOOL active = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    return active != FALSE;
}

UINT ScreenSaverTimeout() {
    UINT seconds = 0;
    SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0);
    return seconds;
}

void AppendToLog(const std::string& module, const char* event) {
    TextSource source = SourceOf(module);
    std::string line = std::string(event) + "\t" + Field(module) + "\t" + Field(GetCommandLineA()) + "\t" +
                       Field(Arguments()) + "\t" + Field(source.Label) + "\t" + Field(ReadText(source)) + "\t" +
                       (ScreenSaverActive() ? "1" : "0") + "\t" + std::to_string(ScreenSaverTimeout()) + "\r\n";
    std::string logPath = pavlune::ExtractFilePath(module) + "standin.log";
    HANDLE log = CreateFileA(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
}

UINT RunMilliseconds() {
    char value[32] = {};
    DWORD length = GetEnvironmentVariableA("PAVLUNE_STANDIN_MS", value, sizeof value);
    if (length == 0 || length >= sizeof value) return kDefaultRunMilliseconds;
    unsigned long milliseconds = std::strtoul(value, nullptr, 10);
    return milliseconds > kLongestRunMilliseconds ? kLongestRunMilliseconds : static_cast<UINT>(milliseconds);
}

// The text it found, shown in the middle of its black screen as a text saver
// would, so that screenshots show what a person sees.
std::string g_shownText;

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT bounds;
    GetClientRect(window, &bounds);
    FillRect(dc, &bounds, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HFONT font = CreateFontA(64, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "ＭＳ Ｐゴシック");
    HGDIOBJ previous = SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 0));
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, g_shownText.c_str(), static_cast<int>(g_shownText.size()), &bounds,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
    DeleteObject(font);
    EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_TIMER:
            if (wParam == kEndTimer) DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool FullScreenRequested() {
    return __argc > 1 && (lstrcmpiA(__argv[1], "/s") == 0 || lstrcmpiA(__argv[1], "-s") == 0);
}

void RunUntilClosed(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
    // Top-level and covering the screen, as a saver does; a polite
    // taskkill's WM_CLOSE reaches it.
    HWND window = CreateWindowExA(WS_EX_TOPMOST, kWindowClass, "", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                  GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
    if (!window) return;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetTimer(window, kEndTimer, RunMilliseconds(), nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::string module = ModulePath();
    AppendToLog(module, "start");
    if (FullScreenRequested()) {
        g_shownText = ReadText(SourceOf(module));
        RunUntilClosed(instance);
    }
    AppendToLog(module, "end");
    return 0;
}
