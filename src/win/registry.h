// String values of the registry, over the A functions (code page 932).
#pragma once

#include <windows.h>

#include <string>

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

}  // namespace pavlune
