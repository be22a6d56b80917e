// Small file and module helpers over the A functions (code page 932 paths).
#pragma once

#include <optional>
#include <string>

namespace pavlune {

// Full path of the running program file.
std::string ModuleFileName();

// The whole file as bytes; nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace pavlune
