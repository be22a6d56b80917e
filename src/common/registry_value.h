// A registry value exactly as stored (its type and its bytes), or its
// absence, and the text that keeps one in a settings file until a later
// start puts it back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pavlune {

struct RegistryValue {
    bool Exists = false;
    std::uint32_t Type = 0;  // REG_SZ, REG_DWORD...; 0 when the value does not exist
    std::string Data;        // the stored bytes
    bool operator==(const RegistryValue&) const = default;
};

// "none" for a value that does not exist, else the type in decimal, a comma
// and the bytes in hexadecimal ("4,01000000"): plain ASCII, whatever the bytes.
std::string RegistryValueText(const RegistryValue& value);

// The value that text keeps; nothing for text that is not of that form.
std::optional<RegistryValue> ParseRegistryValueText(std::string_view text);

}  // namespace pavlune
