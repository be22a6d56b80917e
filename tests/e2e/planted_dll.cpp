// A DLL put beside a program under a system DLL's name: loaded, it leaves
// "<its path>.loaded" behind and refuses to load.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
    char path[MAX_PATH + 8] = "";
    lstrcpyA(path + GetModuleFileNameA(self, path, MAX_PATH), ".loaded");
    if (reason == DLL_PROCESS_ATTACH) CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return reason != DLL_PROCESS_ATTACH;
}
