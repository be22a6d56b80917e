// Small file and module helpers over the A functions (code page 932 paths).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pavlune {

// Full path of the running program file.
std::string ModuleFileName();

// Whether a file (not a folder) is there.
bool IsFile(const std::string& path);

// The path the system can pass on a command line without quotes: its short
// form when it holds a blank and the system gives one, else as it is.
std::string PathWithoutBlanks(const std::string& path);

// The whole file as bytes; nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces the file with bytes, creating it when missing. False when it
// cannot be created or not all bytes were written.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

}  // namespace pavlune
