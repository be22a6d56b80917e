#include "marquee/marquee_registry.h"

#include <windows.h>

#include "win/handles.h"
#include "win/registry.h"

namespace pavlune {

MarqueeSettings ReadMarqueeSettings() {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kMarqueeKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) opened = nullptr;
    UniqueKey key(opened);
    return ParseMarqueeSettings([&](const char* name) -> std::optional<std::string> {
        if (!key) return std::nullopt;
        RegistryString value = ReadRegistryString(key.get(), name);
        if (value.Found != RegistryString::Kind::Text) return std::nullopt;
        return value.Text;
    });
}

bool WriteMarqueeSettings(const MarqueeSettings& settings) {
    HKEY created = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kMarqueeKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        &created, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    UniqueKey key(created);
    bool written = true;
    for (const auto& [name, value] : FormatMarqueeSettings(settings)) {
        written = WriteRegistryString(key.get(), name, value) && written;
    }
    return written;
}

}  // namespace pavlune
