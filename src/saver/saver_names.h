// The names under which the two message savers keep their settings and
// their files on each Windows line, and the length limit of the 3D Text
// saver's text on the 9x line.
#pragma once

#include <string>
#include <string_view>

namespace pavlune {

// The facts of the running Windows that decide the saver names.
struct WindowsLine {
    bool Nt = false;         // NT line (NT4, 2000, XP); otherwise 9x (95, 98, Me)
    bool Windows95 = false;  // 9x line with minor version 0; false on 98/Me and on NT
};

// From the version record's platform id and minor version: platform id 2
// is the NT line, any other value the 9x line.
WindowsLine MakeWindowsLine(unsigned long platformId, unsigned long minorVersion);

// Modes of GetSaverName. Any mode other than the settings name gives the
// file base name; the program passes kSaverFileBaseName.
inline constexpr int kSaverSettingsName = 1;
inline constexpr int kSaverFileBaseName = 2;

// The settings name (the suffix of the registry key or CONTROL.INI section)
// or the file base name (without ".SCR") of a saver kind.
std::string GetSaverName(bool threeD, const WindowsLine& line, int mode);

// The 3D Text saver of the 9x line shows at most 16 bytes. A longer text
// keeps its first 16 bytes, or 15 when the 16th byte would begin a
// two-byte character, so that no character is split.
std::string CutTo16Bytes(std::string_view text);

// The 3D Text saver's file name in the system directory.
std::string ThreeDTextSaverFileName(const WindowsLine& line);

}  // namespace pavlune
