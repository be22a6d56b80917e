#include "win/dialogs.h"

#include "common/error.h"

namespace pavlune {

int Win32Dialogs::ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void ShowErrorBox(UserDialogs& dialogs, HWND owner, std::string_view message) {
    try {
        dialogs.ShowMessage(owner, ErrorBoxText(message), kApplicationTitle, MB_OK | MB_ICONSTOP);
    } catch (...) {
        // Nothing sensible is left to tell the user if even the box fails.
    }
}

}  // namespace pavlune
