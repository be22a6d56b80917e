// File name helpers for the program's own files, found from the executable's
// full path. Backslashes are searched character by character.
#pragma once

#include <string>
#include <string_view>

namespace pavlune {

// "C:\Tools\Pavlune.exe", ".INI" -> "C:\Tools\Pavlune.INI". A name without an
// extension gets one; a dot inside a folder name is not an extension.
std::string ChangeFileExt(std::string_view path, std::string_view extension);

// "C:\Tools\Pavlune.exe" -> "C:\Tools\" (up to and including the last '\' or ':').
std::string ExtractFilePath(std::string_view path);

// The folder a watcher watches for a file: "C:\Tools\Pavlune.exe" ->
// "C:\Tools", while a drive's root keeps its backslash ("C:\").
std::string WatchedFolder(std::string_view path);

}  // namespace pavlune
