#include "saver/saver_text_store.h"

#include "common/error.h"
#include "win/handles.h"
#include "win/registry.h"
#include "win/win_util.h"

namespace pavlune {

namespace {

constexpr const char* kControlIni = "CONTROL.INI";

// A saver's settings key under HKEY_CURRENT_USER is only opened, except
// the Marquee saver's when createKey: on a profile that never configured it
// the key is missing, and the saver would show its default text instead of
// the message. Another saver the user never configured keeps no key.
std::string ExchangeRegistryString(const std::string& keyName, const char* valueName, const std::string& newValue,
                                   bool createKey) {
    HKEY opened = nullptr;
    LONG status = createKey ? RegCreateKeyExA(HKEY_CURRENT_USER, keyName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                              KEY_ALL_ACCESS, nullptr, &opened, nullptr)
                            : RegOpenKeyExA(HKEY_CURRENT_USER, keyName.c_str(), 0, KEY_ALL_ACCESS, &opened);
    if (status != ERROR_SUCCESS) return {};
    UniqueKey key(opened);
    RegistryString previous = ReadRegistryString(key.get(), valueName);
    if (previous.Found == RegistryString::Kind::Unreadable) return {};
    WriteRegistryString(key.get(), valueName, newValue);
    return previous.Text;
}

std::string ExchangeControlIniString(const std::string& section, const char* key, const std::string& newValue) {
    std::string previous = ReadProfileString(section.c_str(), key, "", kControlIni);
    if (!WritePrivateProfileStringA(section.c_str(), key, newValue.c_str(), kControlIni)) {
        throw Error(std::string(kControlIni) + " に書き込めません");
    }
    return previous;
}

}  // namespace

SaverTextStore::SaverTextStore(WindowsVersion version, const PopupMenuModel& commandMenu)
    : version_(version), commandMenu_(commandMenu) {}

std::string SaverTextStore::GetSaverName(int mode) const {
    return pavlune::GetSaverName(ThreeDChecked(), version_, mode);
}

std::string SaverTextStore::ExchangeSaverText(const std::string& settingsName, const std::string& newText) {
    bool cut = !version_.Nt && ThreeDChecked();
    return ExchangeValue(settingsName, "Text", cut ? CutTo16Bytes(newText) : newText);
}

std::string SaverTextStore::ExchangeSaverDemoType(const std::string& settingsName, const std::string& newValue) {
    if (!ThreeDChecked()) return "0";
    return ExchangeValue(settingsName, "DemoType", newValue);
}

bool SaverTextStore::Is3DTextSaverInstalled() const {
    std::string directory = SystemDirectory();
    if (directory.empty()) return false;
    WIN32_FIND_DATAA found;
    UniqueFindHandle search(FindFirstFileA((directory + "\\" + ThreeDTextSaverFileName(version_)).c_str(), &found));
    return static_cast<bool>(search);
}

bool SaverTextStore::ThreeDChecked() const { return commandMenu_.IsChecked("RMenu3D"); }

std::string SaverTextStore::ExchangeValue(const std::string& settingsName, const char* valueName,
                                          const std::string& newValue) {
    if (version_.Nt) {
        bool marquee = settingsName == pavlune::GetSaverName(false, version_, kSaverSettingsName);
        return ExchangeRegistryString("Control Panel\\Screen Saver." + settingsName, valueName, newValue, marquee);
    }
    return ExchangeControlIniString("Screen Saver." + settingsName, valueName, newValue);
}

}  // namespace pavlune
