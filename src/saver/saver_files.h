// Rules for the saver files found in the system directory: how a saver is
// started, what it is called on the 9x line, and the list of savers that the
// start submenu shows.
#pragma once

#include <functional>
#include <optional>
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

// A screen saver fixed by the administrator: the values of one policy key
// (Software\Policies\Microsoft\Windows\Control Panel\Desktop of the user
// or of the machine), each absent where the policy does not set it.
struct SaverPolicy {
    std::optional<std::string> Saver;   // SCRNSAVE.EXE
    std::optional<std::string> Active;  // ScreenSaveActive: "0" switches savers off
};

// Whether the message saver (its file name or path) can show the away sign
// under these policies: none fixes the saver, or they fix this very one
// (its file name, letter case aside, wherever its folder); and none
// switches savers off. Windows ignores the ordinary keys where a policy
// holds, so anything else keeps the sign from the screen.
bool PoliciesLetSaverShow(const std::vector<SaverPolicy>& policies, std::string_view messageSaver);

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
