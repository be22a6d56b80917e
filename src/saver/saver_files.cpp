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

namespace {

// The file name of a saver as a policy may write it: in quotes, with blanks
// around, with a folder or none; ASCII letters in upper case, walked by
// characters so that no second byte is folded.
std::string PolicySaverName(std::string_view path) {
    std::string_view trimmed = TrimControl(path);
    while (!trimmed.empty() && (trimmed.front() == '"' || trimmed.front() == ' ')) trimmed.remove_prefix(1);
    while (!trimmed.empty() && (trimmed.back() == '"' || trimmed.back() == ' ')) trimmed.remove_suffix(1);
    std::string name(trimmed.substr(ExtractFilePath(trimmed).size()));
    for (std::size_t pos = 0; pos < name.size(); pos += CharLength(name, pos)) {
        if (name[pos] >= 'a' && name[pos] <= 'z') name[pos] = static_cast<char>(name[pos] - 'a' + 'A');
    }
    return name;
}

}  // namespace

bool PoliciesLetSaverShow(const std::vector<SaverPolicy>& policies, std::string_view messageSaver) {
    const std::string own = PolicySaverName(messageSaver);
    return std::none_of(policies.begin(), policies.end(), [&](const SaverPolicy& policy) {
        const bool switchedOff = policy.Active && TrimControl(*policy.Active) == "0";
        const bool otherSaver = policy.Saver && !PolicySaverName(*policy.Saver).empty() &&
                                PolicySaverName(*policy.Saver) != own;
        return switchedOff || otherSaver;
    });
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
