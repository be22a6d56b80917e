// How values of the settings file read: Booleans are integers, non-zero true.
#pragma once

#include <string_view>

namespace pavlune {

// An integer as ParseInteger reads it, non-zero true; any other text, the
// empty one included, gives the default.
bool ParseBoolean(std::string_view text, bool defaultValue);

}  // namespace pavlune
