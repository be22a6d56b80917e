// The names under which the two message savers keep their settings and
// their files on each Windows line, and the length limit of the 3D Text
// saver's text on the 9x line.
#pragma once

#include <string>
#include <string_view>

#include "common/windows_version.h"

namespace pavlune {

// Modes of GetSaverName. Any mode other than the settings name gives the
// file base name; the program passes kSaverFileBaseName.
inline constexpr int kSaverSettingsName = 1;
inline constexpr int kSaverFileBaseName = 2;

// The settings name (the suffix of the registry key or CONTROL.INI section)
// or the file base name (without ".SCR") of a saver kind.
std::string GetSaverName(bool threeD, const WindowsVersion& line, int mode);

// The 3D Text saver of the 9x line shows at most 16 bytes. A longer text
// keeps its first 16 bytes, or 15 when the 16th byte would begin a
// two-byte character, so that no character is split.
std::string CutTo16Bytes(std::string_view text);

// The 3D Text saver's file name in the system directory.
std::string ThreeDTextSaverFileName(const WindowsVersion& line);

}  // namespace pavlune
