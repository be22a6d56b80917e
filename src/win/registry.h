// String values of the registry, over the A functions (code page 932).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

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

// A value of any type as stored, to be put back exactly as it was.
struct RegistryValue {
    bool Exists = false;
    DWORD Type = REG_NONE;
    std::vector<BYTE> Data;
};

RegistryValue ReadRegistryValue(HKEY key, const char* valueName);

// Writes the value back as it was read, or removes it when it did not exist.
void RestoreRegistryValue(HKEY key, const char* valueName, const RegistryValue& value);

}  // namespace pavlune
