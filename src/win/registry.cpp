#include "win/registry.h"

#include "win/win_util.h"

namespace pavlune {

namespace {

// The wide functions are looked up, so that the program still loads on
// Windows 95, which has none that work; there they fail like a missing value.
struct WideRegistry {
    using Query = LONG(WINAPI*)(HKEY, const wchar_t*, DWORD*, DWORD*, BYTE*, DWORD*);
    using Set = LONG(WINAPI*)(HKEY, const wchar_t*, DWORD, DWORD, const BYTE*, DWORD);
    using Delete = LONG(WINAPI*)(HKEY, const wchar_t*);
    HMODULE library = GetModuleHandleA("ADVAPI32.DLL");
    Query query = ProcAddress<Query>(library, "RegQueryValueExW");
    Set set = ProcAddress<Set>(library, "RegSetValueExW");
    Delete remove = ProcAddress<Delete>(library, "RegDeleteValueW");
};

const WideRegistry& Wide() {
    static const WideRegistry functions;
    return functions;
}

}  // namespace

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

std::optional<RegistryValue> ReadRegistryValue(HKEY key, const wchar_t* valueName) {
    const WideRegistry& wide = Wide();
    if (!wide.query) return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    LONG status = wide.query(key, valueName, nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return RegistryValue{};
    if (status != ERROR_SUCCESS) return std::nullopt;
    std::string data(size, '\0');
    if (wide.query(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(size);
    return RegistryValue{true, type, data};
}

bool WriteRegistryValue(HKEY key, const wchar_t* valueName, const RegistryValue& value) {
    const WideRegistry& wide = Wide();
    if (!value.Exists) return wide.remove && wide.remove(key, valueName) == ERROR_SUCCESS;
    return wide.set && wide.set(key, valueName, 0, value.Type, reinterpret_cast<const BYTE*>(value.Data.data()),
                                static_cast<DWORD>(value.Data.size())) == ERROR_SUCCESS;
}

}  // namespace pavlune
