// Values of the registry: strings over the A functions (code page 932), and
// values of any type exactly as stored.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "common/registry_value.h"

namespace pavlune {

struct RegistryString {
    enum class Kind {
        Text,        // a string (REG_SZ, or REG_EXPAND_SZ read as stored)
        Missing,     // no such value
        Unreadable,  // another type, or the read failed
    };
    Kind Found = Kind::Missing;
    std::string Text;  // up to the first zero or the end of the data
};

RegistryString ReadRegistryString(HKEY key, const char* valueName);

// Stores text as REG_SZ with its terminating zero. False when refused.
bool WriteRegistryString(HKEY key, const char* valueName, const std::string& text);

// A value of any type with its bytes as the system keeps them: on the NT
// line a string is read and written in UTF-16, so that a text outside code
// page 932 goes back unchanged. A missing value does not exist; nothing
// when it cannot be read.
std::optional<RegistryValue> ReadRegistryValue(HKEY key, const wchar_t* valueName);

// Stores the value as given, or removes it when it does not exist. False
// when refused.
bool WriteRegistryValue(HKEY key, const wchar_t* valueName, const RegistryValue& value);

}  // namespace pavlune
