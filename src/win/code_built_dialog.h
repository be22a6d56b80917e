// A modal dialog box whose controls are made in code when it opens
// (WM_INITDIALOG), from a template that holds the frame alone. Errors in its
// handlers are shown in the error box; a box that could not be built ends
// at once with the result given at construction.
#pragma once

#include <windows.h>

#include "win/dialogs.h"

namespace pavlune {

class CodeBuiltDialog {
public:
    CodeBuiltDialog(const CodeBuiltDialog&) = delete;
    CodeBuiltDialog& operator=(const CodeBuiltDialog&) = delete;

protected:
    // buildError: the error shown when a control cannot be made.
    CodeBuiltDialog(UserDialogs& errorDialogs, INT_PTR failedResult, const char* buildError)
        : errorDialogs_(errorDialogs), failedResult_(failedResult), buildError_(buildError) {}
    virtual ~CodeBuiltDialog() = default;

    // Shows the box over owner until EndDialog; its result, or -1 when no
    // box could be made at all.
    INT_PTR RunModal(HINSTANCE instance, HWND owner);

    // One message of the box. Returns whether it was handled; result is then
    // what the dialog procedure answers (FALSE unless set).
    virtual bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) = 0;

    // Gives the client area that size and puts the box in the middle of the screen.
    void PlaceOnScreen(int clientWidth, int clientHeight);
    // A visible child control in that font (none: the system's); throws the
    // build error when it cannot be made.
    HWND CreateControl(HWND parent, DWORD exStyle, const char* className, const char* text, DWORD style, int id,
                       RECT bounds, HFONT font);

    HWND handle_ = nullptr;  // the box, from WM_INITDIALOG on

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    UserDialogs& errorDialogs_;
    INT_PTR failedResult_;
    const char* buildError_;
    HINSTANCE instance_ = nullptr;
};

}  // namespace pavlune
