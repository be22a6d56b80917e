#include "app/overflow_hint.h"

#include "common/error.h"
#include "common/sjis.h"
#include "win/handles.h"
#include "win/registry.h"

namespace pavlune {

namespace {
constexpr const char* kIconSettingsKey = "Control Panel\\NotifyIconSettings";
constexpr const char* kToldKey = "IconPlaceTold";
// The shell's record is short; a key with more entries than this is not its.
constexpr DWORD kMostEntries = 10000;

bool SameText(std::string_view a, std::string_view b) {
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

// The shell writes a path inside a known folder as that folder's GUID and
// the rest, "{7C5A40EF-...}\Pavlune\Pavlune.exe": the rest then has to be
// the end of the program's path.
bool SameProgram(const std::string& recorded, const std::string& exePath) {
    if (!recorded.starts_with('{')) return SameText(recorded, exePath);
    const std::size_t rest = FindChar(recorded, '\\');
    if (rest == std::string::npos || recorded[rest - 1] != '}') return false;
    const std::string_view tail = std::string_view(recorded).substr(rest);
    for (std::size_t at = FindChar(exePath, '\\'); at != std::string::npos; at = FindChar(exePath, '\\', at + 1)) {
        if (SameText(std::string_view(exePath).substr(at), tail)) return true;
    }
    return false;
}

// IsPromoted as the entry has it: 1 on the taskbar, 0 in the overflow; -1
// when missing or of another type.
int Promoted(HKEY entry) {
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(entry, "IsPromoted", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value) {
        return -1;
    }
    return value != 0;
}
}  // namespace

bool IconHiddenInOverflow(const std::string& exePath) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kIconSettingsKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    UniqueKey settings(opened);
    bool hidden = false;
    char name[256];
    for (DWORD index = 0; index < kMostEntries; ++index) {
        DWORD length = sizeof name;
        LONG status = RegEnumKeyExA(settings.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS || RegOpenKeyExA(settings.get(), name, 0, KEY_READ, &opened) != ERROR_SUCCESS) {
            continue;
        }
        UniqueKey entry(opened);
        RegistryString path = ReadRegistryString(entry.get(), "ExecutablePath");
        if (path.Found != RegistryString::Kind::Text || !SameProgram(path.Text, exePath)) continue;
        // An older entry of the same program may still say hidden.
        const int promoted = Promoted(entry.get());
        if (promoted == 1) return false;
        hidden = hidden || promoted == 0;
    }
    return hidden;
}

void TellIconPlaceOnce(UserDialogs& dialogs, HWND owner, const std::string& exePath, SettingsFile& settings) {
    if (settings.ReadBoolean(kToldKey, false) || !IconHiddenInOverflow(exePath)) return;
    try {
        settings.WriteBoolean(kToldKey, true);
    } catch (const std::exception&) {
        // A file that cannot be written is reported at the exit; the hint
        // is worth more than its silence.
    }
    dialogs.ShowMessage(owner,
                        "Pavlune のアイコンは、タスク バーの右端にある「^」(隠れているインジケーターを表示) "
                        "の中にあります。\n\n"
                        "いつもタスク バーに表示するには、アイコンを「^」の中からタスク バーへドラッグするか、"
                        "[設定] の [個人用設定] → [タスク バー] → [その他のシステム トレイ アイコン] で "
                        "Pavlune をオンにしてください。",
                        kApplicationTitle, MB_OK | MB_ICONINFORMATION);
}

}  // namespace pavlune
