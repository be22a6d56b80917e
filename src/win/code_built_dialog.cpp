#include "win/code_built_dialog.h"

namespace pavlune {
namespace {

// The template: the frame alone, with no menu, the standard class and no
// title. Templates must be DWORD-aligned.
struct alignas(4) EmptyDialogTemplate {
    DLGTEMPLATE Header;
    WORD Menu;
    WORD WindowClass;
    WORD Title;
};

}  // namespace

INT_PTR CodeBuiltDialog::RunModal(HINSTANCE instance, HWND owner) {
    EmptyDialogTemplate frame{};
    frame.Header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    return DialogBoxIndirectParamA(instance, &frame.Header, owner, &CodeBuiltDialog::DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CodeBuiltDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<CodeBuiltDialog*>(lParam)->handle_ = window;
    }
    auto* dialog = reinterpret_cast<CodeBuiltDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!dialog) return FALSE;

    INT_PTR result = FALSE;
    bool handled = false;
    bool failed = true;
    WithErrorBox(dialog->errorDialogs_, window, [&] {
        handled = dialog->Dispatch(message, wParam, lParam, result);
        failed = false;
    });
    // A box that could not be built is of no use; the user has seen why.
    if (failed && message == WM_INITDIALOG) EndDialog(window, dialog->failedResult_);
    return handled ? result : FALSE;
}

}  // namespace pavlune
