// Small pieces shared by the program's own windows: their font and the
// registration of a window class on the dialog face colour.
#pragma once

#include <windows.h>

#include <string>

namespace pavlune {

// MS PGothic with lines 12 pixels high (9 points on a 96 dpi screen), the
// font of every window of the program. The caller deletes it.
HFONT CreateUiFont(bool underline = false);

// Registers a window class with the arrow cursor and the dialog face
// colour, unless the instance already has it. False when registering fails.
bool RegisterFaceClass(HINSTANCE instance, const char* className, WNDPROC procedure, HICON icon = nullptr);

// The template of a dialog box that builds its controls in WM_INITDIALOG:
// the frame alone, with no menu, the standard class and no title.
// Templates must be DWORD-aligned.
struct alignas(4) EmptyDialogTemplate {
    DLGTEMPLATE Header;
    WORD Menu;
    WORD WindowClass;
    WORD Title;
};

std::string WindowText(HWND window);

}  // namespace pavlune
