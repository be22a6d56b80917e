// TAboutBox: the program's name, version and supported systems, the support
// web and mail links, and the button that opens the ReadMe file.
#pragma once

#include <windows.h>

#include <string>

#include "win/code_built_dialog.h"
#include "win/dialogs.h"
#include "win/handles.h"

namespace pavlune {

inline constexpr const char* kAboutBoxCaption = "Pavlune バージョン情報";

// The string called name (e.g. "FileVersion") of the first translation in
// the file's version block; empty when the file has no version block, no
// translation or no such string.
std::string ReadVersionString(const std::string& path, const std::string& name);

// "mailto:" + address + "?Subject=about Pavlune Ver" + the FileVersion of
// exePath, nothing encoded: mail programs take the subject as it is.
std::string BuildMailLink(const std::string& address, const std::string& exePath);

class TAboutBox : private CodeBuiltDialog {
public:
    // The box belongs to owner; its picture is icon resource 1 of instance.
    // programFolder (ending in a backslash) holds the ReadMe file.
    TAboutBox(HWND owner, HINSTANCE instance, UserDialogs& dialogs, std::string programFolder);

    // Shows the box modally and returns once it is closed: IDOK, or IDABORT
    // when it could not be built (the error box has told the user why).
    INT_PTR ShowModal();

private:
    void OnInit() override;
    void OnCancel() override;
    void OnCommand(int id, int notification) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    HWND CreateLabel(HWND parent, int left, int top, const std::string& text, HFONT font, DWORD style = 0,
                     int id = -1);
    bool IsLink(HWND control) const { return control && (control == label3_ || control == label4_); }

    void Label3Click();
    void Label4Click();
    void Button1Click();

    HWND owner_;
    std::string programFolder_;
    HWND label3_ = nullptr;
    HWND label4_ = nullptr;
    UniqueFont font_;
    UniqueFont linkFont_;
    UniqueIcon icon_;
};

}  // namespace pavlune
