// Small pieces shared by the program's own windows: their font, window
// classes, child controls, placing and measuring.
#pragma once

#include <windows.h>

#include <string>

#include "win/display_scale.h"
#include "win/handles.h"

namespace pavlune {

// MS PGothic with lines 12 pixels high on a 96 dpi screen (9 points), grown
// with the screen's scale: the font of every window of the program.
UniqueFont CreateUiFont(bool underline = false, DisplayScale scale = DisplayScale::Of(nullptr));

// Registers a window class with the arrow cursor and the dialog face
// colour, unless the instance already has it. False when registering fails.
bool RegisterFaceClass(HINSTANCE instance, const char* className, WNDPROC procedure, HICON icon = nullptr);

std::string WindowText(HWND window);

// A hidden ordinary top-level window of a class of its own, for notices
// and timers (the message-only kind is unknown before Windows 2000). owner
// is its user data from the end of creation on. Null when it cannot be made.
HWND CreateHiddenWindow(const char* className, WNDPROC procedure, void* owner);

// A rectangle from its left, top, width and height.
inline RECT Bounds(int left, int top, int width, int height) { return RECT{left, top, left + width, top + height}; }

// What a child control is made of.
struct ChildArgs {
    HWND Parent = nullptr;
    const char* ClassName = "STATIC";
    const char* Text = "";
    DWORD Style = 0;  // WS_CHILD and WS_VISIBLE are added
    DWORD ExStyle = 0;
    int Id = -1;
    RECT Place{};
    HFONT Font = nullptr;  // none: the system's
};

// A visible child control; throws Error(failure) when it cannot be made.
HWND CreateChild(const ChildArgs& args, const char* failure);

// Gives the window a client area of that size (in pixels of the screen) and
// puts it in the middle of the screen.
void PlaceInScreenCentre(HWND window, int clientWidth, int clientHeight);

// The size of text drawn in the window with that font (none: the GUI font).
SIZE TextExtent(HWND window, HFONT font, const std::string& text);

}  // namespace pavlune
