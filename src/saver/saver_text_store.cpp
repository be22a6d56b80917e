#include "saver/saver_text_store.h"

#include <optional>

#include "common/error.h"
#include "win/handles.h"
#include "win/win_util.h"

namespace pavlune {

namespace {

constexpr const char* kControlIni = "CONTROL.INI";

// The text of a string value; a missing value reads as empty. Nothing when
// the value has another type or cannot be read.
std::optional<std::string> ReadRegistryString(HKEY key, const char* valueName) {
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return std::string();
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    std::string data(size, '\0');
    if (size > 0) {
        status = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
        data.resize(size);
    }
    // Stored strings usually end in a zero but need not; the text ends at
    // the first zero or at the end of the data.
    return std::string(data.c_str());
}

// The settings key of a saver under HKEY_CURRENT_USER is only ever opened:
// a saver the user never configured has none, and it stays that way.
std::string ExchangeRegistryString(const std::string& keyName, const char* valueName, const std::string& newValue) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName.c_str(), 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return {};
    UniqueKey key(opened);
    std::optional<std::string> previous = ReadRegistryString(key.get(), valueName);
    if (!previous) return {};
    RegSetValueExA(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(newValue.c_str()),
                   static_cast<DWORD>(newValue.size() + 1));
    return *previous;
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
    if (version_.Nt) return ExchangeRegistryString("Control Panel\\Screen Saver." + settingsName, valueName, newValue);
    return ExchangeControlIniString("Screen Saver." + settingsName, valueName, newValue);
}

}  // namespace pavlune
