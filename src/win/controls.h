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

std::string WindowText(HWND window);

// A rectangle from its left, top, width and height.
inline RECT Bounds(int left, int top, int width, int height) { return RECT{left, top, left + width, top + height}; }

}  // namespace pavlune
