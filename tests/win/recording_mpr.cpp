// A stand-in for the system's MPR.DLL: its password dialog only writes down
// how it was called, into the file that PAVLUNE_MPR_RECORD names.
#include <windows.h>

#include <cstdio>

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(const char* provider, HWND window, DWORD first,
                                                                 DWORD second) {
    char path[MAX_PATH] = "";
    GetEnvironmentVariableA("PAVLUNE_MPR_RECORD", path, MAX_PATH);
    if (FILE* record = std::fopen(path, "ab")) {
        std::fprintf(record, "%s %p %lu %lu\n", provider, static_cast<void*>(window), first, second);
        std::fclose(record);
    }
    return 0;
}
