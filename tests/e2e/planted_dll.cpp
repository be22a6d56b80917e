// A DLL that somebody put beside the program under a system DLL's name: when
// any process loads it, it leaves "<its own path>.loaded" behind and refuses
// to load, so that a test sees what was taken from the program's folder.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH + 8] = "";
    const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    lstrcpyA(path + length, ".loaded");
    CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return FALSE;
}
