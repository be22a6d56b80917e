#include "win/code_built_dialog.h"

#include "win/controls.h"

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

INT_PTR CodeBuiltDialog::RunModal(HWND owner) {
    EmptyDialogTemplate frame{};
    frame.Header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    return DialogBoxIndirectParamA(instance_, &frame.Header, owner, &CodeBuiltDialog::DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

void CodeBuiltDialog::PlaceOnScreen(int clientWidth, int clientHeight) {
    PlaceInScreenCentre(handle_, scale_(clientWidth), scale_(clientHeight));
}

HWND CodeBuiltDialog::CreateControl(HWND parent, const char* className, const char* text, DWORD style, int id,
                                    RECT place, HFONT font, DWORD exStyle) {
    return CreateChild({parent, className, text, style, exStyle, id, scale_(place), font}, buildError_);
}

INT_PTR CodeBuiltDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInit();
            return FALSE;  // the focus is set already
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) OnOK();
            else if (LOWORD(wParam) == IDCANCEL) OnCancel();
            else OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
    }
    INT_PTR result = FALSE;
    return OnMessage(message, wParam, lParam, result) ? result : FALSE;
}

INT_PTR CALLBACK CodeBuiltDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        auto* opening = reinterpret_cast<CodeBuiltDialog*>(lParam);
        opening->handle_ = window;
        opening->scale_ = DisplayScale::Of(window);
    }
    auto* dialog = reinterpret_cast<CodeBuiltDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!dialog) return FALSE;

    INT_PTR result = FALSE;
    bool failed = true;
    WithErrorBox(dialog->errorDialogs_, window, [&] {
        result = dialog->Dispatch(message, wParam, lParam);
        failed = false;
    });
    // A box that could not be built is of no use; the user has seen why.
    if (failed && message == WM_INITDIALOG) EndDialog(window, dialog->failedResult_);
    return failed ? FALSE : result;
}

}  // namespace pavlune
