#include "win_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "win/files.h"

namespace pavlune::test {

ScratchFolder::ScratchFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    path_ = std::string(temp) + "pavlune-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = Path(name);
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryA(full.c_str());
            else DeleteFileA(full.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path_.c_str());
}

std::ostream& operator<<(std::ostream& out, const Place& place) {
    return out << place.Left << "," << place.Top << " " << place.Width << "x" << place.Height;
}

Place PlaceInParent(HWND window) {
    RECT bounds;
    GetWindowRect(window, &bounds);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&bounds), 2);
    return {bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
}

std::string Text(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

LOGFONTA FontOf(HWND control) {
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

std::string ReadFileBytes(const std::string& path) { return ReadWholeFile(path).value_or(""); }

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int ScriptedDialogs::ShowMessage(HWND, const std::string& text, const std::string& caption, UINT flags) {
    Messages.push_back({text, caption, flags});
    return IDOK;
}

std::string ScriptedDialogs::InputBox(HWND, const std::string& caption, const std::string& prompt,
                                      const std::string& defaultText, int maxLength) {
    Inputs.push_back({caption, prompt, defaultText, maxLength});
    if (InputReplies.empty()) return defaultText;
    std::string reply = InputReplies.front();
    InputReplies.erase(InputReplies.begin());
    return reply;
}

std::optional<PresenceNameFields> ScriptedDialogs::AskPresenceName(HWND owner) {
    ++NamesAsked;
    if (WhileAsked) WhileAsked(owner);
    return NameReply;
}

bool PumpMessages() {
    bool quit = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return quit;
}

namespace {

struct ModalWatch {
    const char* Caption = nullptr;
    const std::function<void(HWND box)>* Look = nullptr;
    INT_PTR CloseResult = 0;
    bool Looked = false;
    DWORD Since = 0;
};
ModalWatch watch;

void CALLBACK OnModalTimer(HWND, UINT, UINT_PTR, DWORD) {
    constexpr DWORD kPatience = 10000;
    HWND box = FindWindowA(nullptr, watch.Caption);
    bool timeUp = GetTickCount() - watch.Since > kPatience;
    if (!watch.Looked && box && IsWindowVisible(box)) {
        watch.Looked = true;
        watch.Since = GetTickCount();
        (*watch.Look)(box);
    } else if (!watch.Looked && timeUp) {
        ADD_FAILURE() << "the box did not appear";
        PostQuitMessage(0);  // ends the modal loop
    } else if (watch.Looked && box && timeUp) {
        ADD_FAILURE() << "the box stayed open";
        EndDialog(box, watch.CloseResult);
    }
}

}  // namespace

bool WatchModal(const char* caption, const std::function<void(HWND box)>& look, const std::function<void()>& show,
                INT_PTR closeResult) {
    watch = ModalWatch{caption, &look, closeResult, false, GetTickCount()};
    UINT_PTR timer = SetTimer(nullptr, 0, 20, OnModalTimer);
    show();
    KillTimer(nullptr, timer);
    bool looked = watch.Looked;
    watch = ModalWatch{};
    return looked;
}

std::string SystemDirectory() {
    char directory[MAX_PATH] = {};
    GetSystemDirectoryA(directory, sizeof directory);
    return directory;
}

std::string WindowsDirectory() {
    char directory[MAX_PATH] = {};
    GetWindowsDirectoryA(directory, sizeof directory);
    return directory;
}

void ExpectClientSizeInTheMiddle(HWND window, int width, int height) {
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, height);
    RECT frame;
    GetWindowRect(window, &frame);
    EXPECT_LE(std::abs(frame.left + frame.right - GetSystemMetrics(SM_CXSCREEN)), 1);
    EXPECT_LE(std::abs(frame.top + frame.bottom - GetSystemMetrics(SM_CYSCREEN)), 1);
}

std::string Environment(const char* name) {
    char value[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length < sizeof value ? value : "";
}

std::string PathOnZ(const char* variable) {
    std::string path = "Z:" + Environment(variable);
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string StandIn(const std::string& program) { return PathOnZ("PAVLUNE_STANDIN_DIR") + "\\" + program + ".exe"; }

OSVERSIONINFOA ReportedVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    return info;
}

void RecordShellOpen(const char* kind, const std::string& recordPath) {
    std::string key = std::string(kind) + "\\shell\\open\\command";
    std::string command = "C:\\windows\\system32\\cmd.exe /c echo \"%1\" >\"" + recordPath + "\"";
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, command.c_str(), static_cast<DWORD>(command.size())),
              ERROR_SUCCESS);
    char stored[MAX_PATH * 2] = "";
    LONG size = sizeof stored;
    ASSERT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), stored, &size), ERROR_SUCCESS);
    ASSERT_EQ(std::string(stored), command);
}

std::string AwaitRecordedLine(const std::string& path) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(50)) {
        std::string line = ReadFileBytes(path);
        std::size_t end = line.find("\r\n");
        if (end == std::string::npos) continue;
        line.resize(end);
        while (!line.empty() && (line.back() == ' ' || line.back() == '"')) line.pop_back();
        while (!line.empty() && line.front() == '"') line.erase(0, 1);
        return line;
    }
    return "(nothing was opened)";
}

void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= milliseconds; });
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds) return false;
        PumpMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void SaveWindowPicture(HWND window, const std::string& name) {
    const std::string folder = Environment("PAVLUNE_PICTURES");
    if (folder.empty()) return;
    // What is drawn reaches the screen a moment later.
    for (int wait = 0; wait < 10; ++wait, Sleep(50)) PumpMessages();
    RECT frame;
    GetWindowRect(window, &frame);
    BITMAPINFOHEADER info{sizeof info, frame.right - frame.left, frame.bottom - frame.top, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::string pixels(static_cast<std::size_t>((info.biWidth * 3 + 3) / 4 * 4 * info.biHeight), '\0');
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, CreateCompatibleBitmap(screen, info.biWidth, info.biHeight));
    BitBlt(memory, 0, 0, info.biWidth, info.biHeight, screen, frame.left, frame.top, SRCCOPY);
    HGDIOBJ picture = SelectObject(memory, previous);
    GetDIBits(memory, static_cast<HBITMAP>(picture), 0, static_cast<UINT>(info.biHeight), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    BITMAPFILEHEADER header{0x4D42, static_cast<DWORD>(sizeof header + sizeof info + pixels.size()), 0, 0,
                            sizeof header + sizeof info};
    WriteFileBytes(folder + "\\" + name + ".bmp", std::string(reinterpret_cast<const char*>(&header), sizeof header) +
                                                     std::string(reinterpret_cast<const char*>(&info), sizeof info) +
                                                     pixels);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

}  // namespace pavlune::test
