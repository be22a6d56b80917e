// Rules for the saver files found in the system directory: how a saver is
// started, what it is called on the 9x line, and the list of savers that the
// start submenu shows.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pavlune {

// The command line that starts a saver full screen: the path and "/S". A
// path holding a blank is put in quotes, so that the saver still gets "/S"
// as its only argument (the 3D Text saver of the 9x line has blanks in its
// name); a path already in quotes is left as it is.
std::string SaverCommandLine(std::string_view path);

// The file name without folder and extension: "C:\WINDOWS\SYSTEM\伝言板.SCR"
// -> "伝言板".
std::string SaverFileTitle(std::string_view path);

// The folder with a '\' at its end, added unless it has one already.
std::string WithTrailingBackslash(std::string_view folder);

struct SaverListEntry {
    std::string DisplayName;
    std::string Path;
};

// Compares two display names: negative, zero or positive as a sorts before,
// equal to or after b.
using DisplayNameComparison = std::function<int(const std::string& a, const std::string& b)>;

// Puts the saver into the list, which is kept sorted by display name. A name
// that compares equal to one already listed is dropped, so the first saver
// of a name stays. Returns whether the saver was added.
bool InsertSaverSorted(std::vector<SaverListEntry>& list, SaverListEntry saver,
                       const DisplayNameComparison& compare);

}  // namespace pavlune
