// One owner for every kind of handle the program holds: it releases the
// handle when it goes, and can be moved but not copied. Each kind names its
// handle type, the value that means "none" and how it is released.
#pragma once

#include <windows.h>
#include <winsock.h>
#include <commctrl.h>

#include <utility>

namespace pavlune {

template <typename Kind>
class UniqueOwner {
public:
    using Handle = typename Kind::Handle;

    UniqueOwner() = default;
    explicit UniqueOwner(Handle handle) : handle_(handle) {}
    UniqueOwner(UniqueOwner&& other) noexcept : handle_(other.release()) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    ~UniqueOwner() { reset(); }

    explicit operator bool() const { return Kind::IsValid(handle_); }
    Handle get() const { return handle_; }
    Handle release() { return std::exchange(handle_, Kind::None()); }
    void reset(Handle handle = Kind::None()) {
        Handle old = std::exchange(handle_, handle);
        if (Kind::IsValid(old)) Kind::Release(old);
    }

private:
    Handle handle_ = Kind::None();
};

// A kind whose "none" is the null handle.
template <typename H, auto ReleaseFunction>
struct NullableKind {
    using Handle = H;
    static Handle None() { return nullptr; }
    static bool IsValid(Handle handle) { return handle != nullptr; }
    static void Release(Handle handle) { ReleaseFunction(handle); }
};

// Kernel handles: some functions say "none" with null, others with INVALID_HANDLE_VALUE.
struct KernelHandleKind {
    using Handle = HANDLE;
    static Handle None() { return nullptr; }
    static bool IsValid(Handle handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Release(Handle handle) { CloseHandle(handle); }
};

// A search of FindFirstFileA.
struct FindHandleKind {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle handle) { return handle != INVALID_HANDLE_VALUE; }
    static void Release(Handle handle) { FindClose(handle); }
};

// A change notification of FindFirstChangeNotificationA.
struct ChangeNotificationKind {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle handle) { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    static void Release(Handle handle) { FindCloseChangeNotification(handle); }
};

struct SocketKind {
    using Handle = SOCKET;
    static Handle None() { return INVALID_SOCKET; }
    static bool IsValid(Handle handle) { return handle != INVALID_SOCKET; }
    static void Release(Handle handle) { closesocket(handle); }
};

inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void DestroyImageList(HIMAGELIST images) { ImageList_Destroy(images); }

using UniqueHandle = UniqueOwner<KernelHandleKind>;
using UniqueFindHandle = UniqueOwner<FindHandleKind>;
using UniqueChangeNotification = UniqueOwner<ChangeNotificationKind>;
using UniqueSocket = UniqueOwner<SocketKind>;
// Predefined roots such as HKEY_CURRENT_USER are not meant to be held here.
using UniqueKey = UniqueOwner<NullableKind<HKEY, RegCloseKey>>;
using UniqueIcon = UniqueOwner<NullableKind<HICON, DestroyIcon>>;
using UniqueFont = UniqueOwner<NullableKind<HFONT, DeleteGdiObject>>;
using UniqueImageList = UniqueOwner<NullableKind<HIMAGELIST, DestroyImageList>>;
using UniqueModule = UniqueOwner<NullableKind<HMODULE, FreeLibrary>>;
using UniqueWindow = UniqueOwner<NullableKind<HWND, DestroyWindow>>;

// A window whose user data points at the object that owns it. The pointer is
// cleared before the window goes, so none of its last messages reaches an
// owner that is half made or half gone.
inline void DestroyOwnedWindow(HWND window) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
}
using UniqueOwnedWindow = UniqueOwner<NullableKind<HWND, DestroyOwnedWindow>>;
using UniqueMenu = UniqueOwner<NullableKind<HMENU, DestroyMenu>>;

// The drawing context of a window, for measuring or drawing on it while it lives.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

}  // namespace pavlune
