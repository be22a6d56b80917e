// A modal dialog box whose controls are made in code when it opens, from a
// template that holds the frame alone. A box says what it does when it
// opens and on OK, Cancel and its other commands; errors in any of them are
// shown in the error box, and a box that could not be built ends at once
// with the result given at construction. A box is laid out for a 96 dpi
// screen: its size and its controls' places are scaled to the screen it
// opens on, and the screen's scale is known from OnInit on.
#pragma once

#include <windows.h>

#include "win/dialogs.h"
#include "win/display_scale.h"

namespace pavlune {

class CodeBuiltDialog {
public:
    CodeBuiltDialog(const CodeBuiltDialog&) = delete;
    CodeBuiltDialog& operator=(const CodeBuiltDialog&) = delete;

protected:
    // buildError: the error shown when a control cannot be made.
    CodeBuiltDialog(HINSTANCE instance, UserDialogs& errorDialogs, INT_PTR failedResult, const char* buildError)
        : instance_(instance), errorDialogs_(errorDialogs), failedResult_(failedResult), buildError_(buildError) {}
    virtual ~CodeBuiltDialog() = default;

    // Shows the box over owner until EndDialog; its result, or -1 when no
    // box could be made at all.
    INT_PTR RunModal(HWND owner);

    // Makes the controls and sets the focus.
    virtual void OnInit() = 0;
    // The OK button or Enter.
    virtual void OnOK() { EndDialog(handle_, IDOK); }
    // The Cancel button, Escape or the close box.
    virtual void OnCancel() { EndDialog(handle_, IDCANCEL); }
    // A command of another control.
    virtual void OnCommand(int /*id*/, int /*notification*/) {}
    // Any other message; true when answered, with the answer in result.
    virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, INT_PTR& /*result*/) {
        return false;
    }

    // Gives the client area that size (laid out for 96 dpi) and puts the box
    // in the middle of the screen.
    void PlaceOnScreen(int clientWidth, int clientHeight);
    // A visible child control at that place (laid out for 96 dpi) in that
    // font (none: the system's); throws the build error when it cannot be made.
    // A length measured on the screen, such as a text's width, is laid out
    // as scale_.Unscale(pixels).
    HWND CreateControl(HWND parent, const char* className, const char* text, DWORD style, int id, RECT place,
                       HFONT font, DWORD exStyle = 0);

    HINSTANCE instance_;
    HWND handle_ = nullptr;  // the box, from its opening on
    DisplayScale scale_;     // its screen's, from its opening on

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UserDialogs& errorDialogs_;
    INT_PTR failedResult_;
    const char* buildError_;
};

}  // namespace pavlune
