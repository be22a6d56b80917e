#include "win/registry.h"

namespace pavlune {

RegistryString ReadRegistryString(HKEY key, const char* valueName) {
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return {RegistryString::Kind::Missing, {}};
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return {RegistryString::Kind::Unreadable, {}};
    }
    std::string data(size, '\0');
    if (size > 0) {
        status = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
            return {RegistryString::Kind::Unreadable, {}};
        }
        data.resize(size);
    }
    // Stored strings usually end in a zero but need not.
    return {RegistryString::Kind::Text, std::string(data.c_str())};
}

bool WriteRegistryString(HKEY key, const char* valueName, const std::string& text) {
    return RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

RegistryValue ReadRegistryValue(HKEY key, const char* valueName) {
    RegistryValue value;
    DWORD size = 0;
    if (RegQueryValueExA(key, valueName, nullptr, &value.Type, nullptr, &size) != ERROR_SUCCESS) return {};
    value.Data.resize(size);
    if (RegQueryValueExA(key, valueName, nullptr, &value.Type, value.Data.data(), &size) != ERROR_SUCCESS) return {};
    value.Data.resize(size);
    value.Exists = true;
    return value;
}

void RestoreRegistryValue(HKEY key, const char* valueName, const RegistryValue& value) {
    if (!value.Exists) {
        RegDeleteValueA(key, valueName);
        return;
    }
    RegSetValueExA(key, valueName, 0, value.Type, value.Data.data(), static_cast<DWORD>(value.Data.size()));
}

}  // namespace pavlune
