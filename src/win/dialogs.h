// The seam for everything that would block a test or need a person: message
// boxes and the error box. Win32Dialogs is the real thing.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace pavlune {

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // MessageBoxA: returns when the user closes the box.
    virtual int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) = 0;
    // A one-line input dialog with OK and Cancel. Returns the edited text on
    // OK and defaultText on Cancel.
    virtual std::string InputBox(HWND owner, const std::string& caption, const std::string& prompt,
                                 const std::string& defaultText, int maxLength) = 0;
};

class Win32Dialogs : public UserDialogs {
public:
    int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) override;
    std::string InputBox(HWND owner, const std::string& caption, const std::string& prompt,
                         const std::string& defaultText, int maxLength) override;
};

// The error box: the error's text by the full-stop rule, caption "Pavlune",
// stop icon, one OK button.
void ShowErrorBox(UserDialogs& dialogs, HWND owner, std::string_view message);

// Runs body and shows any exception that escapes it in the error box. Every
// Win32 callback goes through here, so no exception crosses into the system.
template <typename Body>
void WithErrorBox(UserDialogs& dialogs, HWND owner, Body&& body) noexcept {
    try {
        body();
    } catch (const std::exception& e) {
        ShowErrorBox(dialogs, owner, e.what());
    } catch (...) {
        ShowErrorBox(dialogs, owner, "予期しないエラーが発生しました");
    }
}

}  // namespace pavlune
