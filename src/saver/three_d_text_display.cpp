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

bool ThreeDTextDisplay::Show(const std::string& message) {
    if (!version_.Vista || !commandMenu_.IsChecked("RMenu3D")) return true;
    HKEY opened = nullptr;
    const bool keyExists = RegOpenKeyExA(HKEY_CURRENT_USER, kThreeDTextKey, 0, KEY_READ, &opened) == ERROR_SUCCESS;
    UniqueKey existing(opened);
    const auto current = keyExists ? ReadValues(existing.get()) : std::pair<RegistryValue, RegistryValue>{};
    if (!current) return true;
    if (ReadKept(kKeyCreated).empty() && !Keep(kKeyCreated, keyExists ? "0" : "1")) return false;
    const bool kept = ParseRegistryValueText(ReadKept(Text().KeptAs)) && ParseRegistryValueText(ReadKept(Time().KeptAs));
    if (!(kept && Written(*current)) &&
        !(Keep(Text().KeptAs, RegistryValueText(current->first)) &&
          Keep(Time().KeptAs, RegistryValueText(current->second)))) {
        return false;
    }

    // A user who never configured the saver has no key: without one it
    // would show its default text.
    HKEY created = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kThreeDTextKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &created, nullptr) != ERROR_SUCCESS) {
        return true;
    }
    UniqueKey key(created);
    // What was written is noted only once it is there: a refused write
    // leaves the previous message, which must still be known as the program's.
    const RegistryValue shown = StringValue(message);
    if (WriteRegistryValue(key.get(), Text().Name, shown)) Keep(kShown, RegistryValueText(shown));
    WriteRegistryValue(key.get(), Time().Name, *Time().Written);
    return true;
}

void ThreeDTextDisplay::Restore() {
    const std::string keyCreated = ReadKept(kKeyCreated);
    if (keyCreated.empty()) return;
    HKEY opened = nullptr;
    const LONG status =
        RegOpenKeyExA(HKEY_CURRENT_USER, kThreeDTextKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &opened);
    // A key that is gone holds nothing of the program's.
    bool done = status == ERROR_FILE_NOT_FOUND;
    if (status == ERROR_SUCCESS) {
        UniqueKey key(opened);
        const auto current = ReadValues(key.get());
        done = current.has_value();
        if (current && Written(*current)) {
            for (const DisplayValue& value : {Text(), Time()}) {
                const std::optional<RegistryValue> users = ParseRegistryValueText(ReadKept(value.KeptAs));
                done = users && WriteRegistryValue(key.get(), value.Name, *users) && done;
            }
        }
        const bool empty = KeyIsEmpty(key.get());
        key.reset();
        if (done && keyCreated == "1" && empty) done = RegDeleteKeyA(HKEY_CURRENT_USER, kThreeDTextKey) == ERROR_SUCCESS;
    }
    if (done) WriteProfileString(kKeptThreeDTextSection, nullptr, nullptr, settingsPath_);
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

std::optional<std::pair<RegistryValue, RegistryValue>> ThreeDTextDisplay::ReadValues(HKEY key) const {
    std::optional<RegistryValue> text = ReadRegistryValue(key, Text().Name);
    std::optional<RegistryValue> time = ReadRegistryValue(key, Time().Name);
    if (!text || !time) return std::nullopt;
    return std::pair{*text, *time};
}

bool ThreeDTextDisplay::Written(const std::pair<RegistryValue, RegistryValue>& values) const {
    return values.first == Text().Written && values.second == Time().Written;
}

}  // namespace pavlune
