// Errors are exceptions; the boundary of every Win32 callback catches them
// and shows the error box.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace pavlune {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The caption of every message box of the program.
inline constexpr const char* kApplicationTitle = "Pavlune";

// The text the error box shows for an error: the message, with "." added
// when its last character (one or two bytes) compares greater than ".".
std::string ErrorBoxText(std::string_view message);

}  // namespace pavlune
