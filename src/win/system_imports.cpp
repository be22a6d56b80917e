// Winsock and the version functions, taken from the system folder at their
// first call. WSOCK32.DLL and VERSION.DLL are not among the DLLs that
// Windows always takes from the system: imported by name, a copy dropped
// beside Pavlune.exe would run at every start. The program calls these
// functions as declared in the system's headers (built with
// WINSOCK_API_LINKAGE empty, so the calls come here rather than to an
// import); where a library is missing a call fails as Winsock or the
// version functions report a failure.
#include <windows.h>
#include <winsock.h>

#include "win/win_util.h"

namespace {

HMODULE Winsock() {
    static const HMODULE library = pavlune::LoadSystemLibrary("WSOCK32.DLL");
    return library;
}

HMODULE VersionLibrary() {
    static const HMODULE library = pavlune::LoadSystemLibrary("VERSION.DLL");
    return library;
}

}  // namespace

// Defines name with the header's declaration; it calls the library's own
// export, or gives failed when there is none.
#define PAVLUNE_FORWARD(library, result, convention, name, failed, parameters, arguments)            \
    extern "C" result convention name parameters {                                                 \
        static const auto function = pavlune::ProcAddress<decltype(&name)>(library(), #name);       \
        return function ? function arguments : failed;                                             \
    }

PAVLUNE_FORWARD(Winsock, int, WINAPI, WSAStartup, WSASYSNOTREADY, (WORD version, LPWSADATA data), (version, data))
PAVLUNE_FORWARD(Winsock, int, WINAPI, WSACleanup, SOCKET_ERROR, (), ())
PAVLUNE_FORWARD(Winsock, int, WINAPI, WSAGetLastError, WSASYSNOTREADY, (), ())
PAVLUNE_FORWARD(Winsock, SOCKET, WINAPI, socket, INVALID_SOCKET, (int family, int type, int protocol),
                (family, type, protocol))
PAVLUNE_FORWARD(Winsock, int, WINAPI, bind, SOCKET_ERROR, (SOCKET s, const sockaddr* name, int length),
                (s, name, length))
PAVLUNE_FORWARD(Winsock, int, WINAPI, closesocket, SOCKET_ERROR, (SOCKET s), (s))
PAVLUNE_FORWARD(Winsock, int, WINAPI, setsockopt, SOCKET_ERROR,
                (SOCKET s, int level, int option, const char* value, int length), (s, level, option, value, length))
PAVLUNE_FORWARD(Winsock, int, WINAPI, ioctlsocket, SOCKET_ERROR, (SOCKET s, __LONG32 command, u_long* argument),
                (s, command, argument))
PAVLUNE_FORWARD(Winsock, int, WINAPI, sendto, SOCKET_ERROR,
                (SOCKET s, const char* buffer, int length, int flags, const sockaddr* to, int toLength),
                (s, buffer, length, flags, to, toLength))
PAVLUNE_FORWARD(Winsock, int, WINAPI, recvfrom, SOCKET_ERROR,
                (SOCKET s, char* buffer, int length, int flags, sockaddr* from, int* fromLength),
                (s, buffer, length, flags, from, fromLength))
PAVLUNE_FORWARD(Winsock, int, WINAPI, WSAAsyncSelect, SOCKET_ERROR, (SOCKET s, HWND window, u_int message, long events),
                (s, window, message, events))
PAVLUNE_FORWARD(Winsock, HANDLE, WINAPI, WSAAsyncGetHostByName, nullptr,
                (HWND window, u_int message, const char* name, char* buffer, int length),
                (window, message, name, buffer, length))
PAVLUNE_FORWARD(Winsock, int, WINAPI, gethostname, SOCKET_ERROR, (char* name, int length), (name, length))
PAVLUNE_FORWARD(Winsock, hostent*, WINAPI, gethostbyname, nullptr, (const char* name), (name))
PAVLUNE_FORWARD(Winsock, unsigned __LONG32, WINAPI, inet_addr, INADDR_NONE, (const char* text), (text))

PAVLUNE_FORWARD(VersionLibrary, DWORD, WINAPI, GetFileVersionInfoSizeA, 0, (LPCSTR file, LPDWORD handle),
                (file, handle))
PAVLUNE_FORWARD(VersionLibrary, WINBOOL, WINAPI, GetFileVersionInfoA, FALSE,
                (LPCSTR file, DWORD handle, DWORD length, LPVOID data), (file, handle, length, data))
PAVLUNE_FORWARD(VersionLibrary, WINBOOL, WINAPI, VerQueryValueA, FALSE,
                (LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length), (block, subBlock, buffer, length))

// Byte order needs no library.
extern "C" u_short WINAPI htons(u_short value) { return static_cast<u_short>((value << 8) | (value >> 8)); }
extern "C" u_short WINAPI ntohs(u_short value) { return htons(value); }
extern "C" u_long WINAPI htonl(u_long value) {
    return ((value & 0xFF) << 24) | ((value & 0xFF00) << 8) | ((value >> 8) & 0xFF00) | (value >> 24);
}
extern "C" u_long WINAPI ntohl(u_long value) { return htonl(value); }

extern "C" void WINAPI WSASetLastError(int error) {
    using Set = void(WINAPI*)(int);
    static const auto function = pavlune::ProcAddress<Set>(Winsock(), "WSASetLastError");
    if (function) function(error);
}
