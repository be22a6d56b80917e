// RAII owners for Win32 handles.
#pragma once

#include <windows.h>

namespace pavlune {

class UniqueHandle {
public:
    explicit UniqueHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() {
        if (*this) CloseHandle(handle_);
    }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// A search of FindFirstFileA, closed with FindClose.
class UniqueFindHandle {
public:
    explicit UniqueFindHandle(HANDLE handle) : handle_(handle) {}
    UniqueFindHandle(const UniqueFindHandle&) = delete;
    UniqueFindHandle& operator=(const UniqueFindHandle&) = delete;
    ~UniqueFindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

class UniqueIcon {
public:
    explicit UniqueIcon(HICON icon = nullptr) : icon_(icon) {}
    UniqueIcon(UniqueIcon&& other) noexcept : icon_(other.release()) {}
    UniqueIcon& operator=(UniqueIcon&& other) noexcept {
        if (this != &other) {
            reset();
            icon_ = other.release();
        }
        return *this;
    }
    ~UniqueIcon() { reset(); }
    HICON get() const { return icon_; }
    HICON release() {
        HICON icon = icon_;
        icon_ = nullptr;
        return icon;
    }
    void reset() {
        if (icon_) DestroyIcon(icon_);
        icon_ = nullptr;
    }

private:
    HICON icon_;
};

// An open registry key; predefined roots such as HKEY_CURRENT_USER are not
// meant to be held here.
class UniqueKey {
public:
    explicit UniqueKey(HKEY key = nullptr) : key_(key) {}
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;
    ~UniqueKey() {
        if (key_) RegCloseKey(key_);
    }
    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

private:
    HKEY key_;
};

}  // namespace pavlune
