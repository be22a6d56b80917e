// Integers written as text, as the settings file and the registry hold them.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pavlune {

// A decimal integer (optionally signed) in the signed 32-bit range, or a
// hexadecimal one of 32 bits written with "$", or with "0x"/"0X" when more
// than two characters are present. Nothing for any other text, the empty
// one included.
std::optional<std::int64_t> ParseInteger(std::string_view text);

}  // namespace pavlune
