#include "win/win_util.h"

#include <shellapi.h>

namespace pavlune {

namespace {
constexpr DWORD kProfileBufferSize = 2048;
}

WindowsVersion ReadWindowsVersion() {
    OSVERSIONINFOA record{};
    record.dwOSVersionInfoSize = sizeof record;
    GetVersionExA(&record);
    return MakeWindowsVersion(record.dwPlatformId, record.dwMajorVersion, record.dwMinorVersion);
}

std::string SystemDirectory() {
    char directory[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory) return {};
    return directory;
}

HMODULE LoadSystemLibrary(const char* name) {
    const std::string folder = SystemDirectory();
    return folder.empty() ? nullptr : LoadLibraryA((folder + "\\" + name).c_str());
}

std::string ReadProfileString(const char* section, const char* key, const std::string& defaultValue,
                              const std::string& file) {
    std::string value(kProfileBufferSize, '\0');
    DWORD length = GetPrivateProfileStringA(section, key, defaultValue.c_str(), value.data(), kProfileBufferSize,
                                            file.c_str());
    value.resize(length);
    return value;
}

bool WriteProfileString(const char* section, const char* key, const char* value, const std::string& file) {
    const DWORD attributes = GetFileAttributesA(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    return WritePrivateProfileStringA(section, key, value, file.c_str()) != FALSE;
}

void OpenWithShell(HWND owner, const std::string& target, const char* verb) {
    ShellExecuteA(owner, verb, target.c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace pavlune
