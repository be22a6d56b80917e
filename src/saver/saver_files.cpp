#include "saver/saver_files.h"

#include <algorithm>

#include "common/paths.h"
#include "common/sjis.h"

namespace pavlune {

std::string SaverCommandLine(std::string_view path) {
    bool quoted = !path.empty() && path.front() == '"';
    bool blank = FindChar(path, ' ') != std::string_view::npos || FindChar(path, '\t') != std::string_view::npos;
    std::string commandLine;
    if (blank && !quoted) commandLine.append(1, '"').append(path).append(1, '"');
    else commandLine.append(path);
    return commandLine.append(" /S");
}

std::string SaverFileTitle(std::string_view path) {
    std::string_view name = path.substr(ExtractFilePath(path).size());
    return ChangeFileExt(name, "");
}

std::string WithTrailingBackslash(std::string_view folder) {
    if (LastChar(folder) == "\\") return std::string(folder);
    return std::string(folder) + "\\";
}

bool InsertSaverSorted(std::vector<SaverListEntry>& list, SaverListEntry saver,
                       const DisplayNameComparison& compare) {
    auto place = std::lower_bound(list.begin(), list.end(), saver.DisplayName,
                                  [&](const SaverListEntry& listed, const std::string& name) {
                                      return compare(listed.DisplayName, name) < 0;
                                  });
    if (place != list.end() && compare(place->DisplayName, saver.DisplayName) == 0) return false;
    list.insert(place, std::move(saver));
    return true;
}

}  // namespace pavlune
