#include "saver/three_d_text_display.h"

#include "win/handles.h"
#include "win/registry.h"
#include "win/win_util.h"

namespace pavlune {

namespace {

constexpr const char* kThreeDTextKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screensavers\\ssText3d";
constexpr const char* kKeyCreated = "KeyCreated";
constexpr const char* kShown = "Shown";  // the text the program wrote last

// message as the system stores a REG_SZ: UTF-16 with its terminating zero.
RegistryValue StringValue(const std::string& message) {
    const int length = MultiByteToWideChar(CP_ACP, 0, message.c_str(), -1, nullptr, 0);
    std::wstring text(length > 0 ? length : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, message.c_str(), -1, text.data(), length);
    return {true, REG_SZ, std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t))};
}

bool KeyIsEmpty(HKEY key) {
    DWORD subKeys = 0;
    DWORD values = 0;
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS &&
           subKeys == 0 && values == 0;
}

}  // namespace

ThreeDTextDisplay::ThreeDTextDisplay(WindowsVersion version, const PopupMenuModel& commandMenu,
                                     std::string settingsPath)
    : version_(version), commandMenu_(commandMenu), settingsPath_(std::move(settingsPath)) {}

void ThreeDTextDisplay::Show(const std::string& message) {
    if (!version_.Vista || !commandMenu_.IsChecked("RMenu3D")) return;
    HKEY opened = nullptr;
    const bool keyExists = RegOpenKeyExA(HKEY_CURRENT_USER, kThreeDTextKey, 0, KEY_READ, &opened) == ERROR_SUCCESS;
    UniqueKey existing(opened);
    if (ReadKept(kKeyCreated).empty() && !Keep(kKeyCreated, keyExists ? "0" : "1")) return;
    if (!KeepUserValue(existing.get(), Text()) || !KeepUserValue(existing.get(), Time())) return;
    const RegistryValue shown = StringValue(message);
    if (!Keep(kShown, RegistryValueText(shown))) return;

    // A user who never configured the saver has no key: without one it
    // would show its default text.
    HKEY created = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kThreeDTextKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &created, nullptr) != ERROR_SUCCESS) {
        return;
    }
    UniqueKey key(created);
    WriteRegistryValue(key.get(), Text().Name, shown);
    WriteRegistryValue(key.get(), Time().Name, *Time().Written);
}

void ThreeDTextDisplay::Restore() {
    const std::string keyCreated = ReadKept(kKeyCreated);
    if (keyCreated.empty()) return;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kThreeDTextKey, 0, KEY_ALL_ACCESS, &opened) == ERROR_SUCCESS) {
        UniqueKey key(opened);
        for (const DisplayValue& value : {Text(), Time()}) {
            const std::optional<RegistryValue> users = ParseRegistryValueText(ReadKept(value.KeptAs));
            if (users && value.Written && ReadRegistryValue(key.get(), value.Name) == value.Written) {
                WriteRegistryValue(key.get(), value.Name, *users);
            }
        }
        const bool empty = KeyIsEmpty(key.get());
        key.reset();
        if (keyCreated == "1" && empty) RegDeleteKeyA(HKEY_CURRENT_USER, kThreeDTextKey);
    }
    WriteProfileString(kKeptThreeDTextSection, nullptr, nullptr, settingsPath_);
}

ThreeDTextDisplay::DisplayValue ThreeDTextDisplay::Text() const {
    return {L"DisplayString", "DisplayString", ParseRegistryValueText(ReadKept(kShown))};
}

// The program always writes 0: the text instead of the clock.
ThreeDTextDisplay::DisplayValue ThreeDTextDisplay::Time() {
    return {L"DisplayTime", "DisplayTime", RegistryValue{true, REG_DWORD, std::string(sizeof(DWORD), '\0')}};
}

std::string ThreeDTextDisplay::ReadKept(const char* key) const {
    return ReadProfileString(kKeptThreeDTextSection, key, "", settingsPath_);
}

bool ThreeDTextDisplay::Keep(const char* key, const std::string& text) {
    return WriteProfileString(kKeptThreeDTextSection, key, text.c_str(), settingsPath_) && ReadKept(key) == text;
}

bool ThreeDTextDisplay::KeepUserValue(HKEY key, const DisplayValue& value) {
    const std::optional<RegistryValue> current = key ? ReadRegistryValue(key, value.Name) : RegistryValue{};
    if (!current) return false;
    const bool kept = ParseRegistryValueText(ReadKept(value.KeptAs)).has_value();
    if (kept && current == value.Written) return true;
    return Keep(value.KeptAs, RegistryValueText(*current));
}

}  // namespace pavlune
