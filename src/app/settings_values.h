// How values of the settings file read: Booleans are integers, non-zero true.
#pragma once

#include <string_view>

namespace pavlune {

// A decimal integer (optionally signed), or a hexadecimal one written with
// "$", or with "0x"/"0X" when more than two characters are present. Any other
// text, the empty one included, gives the default.
bool ParseBoolean(std::string_view text, bool defaultValue);

}  // namespace pavlune
