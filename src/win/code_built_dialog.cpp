#include "win/code_built_dialog.h"

#include "common/error.h"

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
    instance_ = instance;
    EmptyDialogTemplate frame{};
    frame.Header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    return DialogBoxIndirectParamA(instance, &frame.Header, owner, &CodeBuiltDialog::DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

void CodeBuiltDialog::PlaceOnScreen(int clientWidth, int clientHeight) {
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(handle_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(handle_, GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(handle_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CodeBuiltDialog::CreateControl(HWND parent, DWORD exStyle, const char* className, const char* text, DWORD style,
                                    int id, RECT bounds, HFONT font) {
    HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, bounds.left, bounds.top,
                                   bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    if (!control) throw Error(buildError_);
    if (font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
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
