// How values of the settings file read: Booleans are integers, non-zero true.
#pragma once

#include <string_view>

namespace pavlune {

// An integer as ParseInteger reads it, non-zero true; any other text, the
// empty one included, gives the default.
bool ParseBoolean(std::string_view text, bool defaultValue);

// RepeatMinutes: how often the status goes out again, in whole minutes from
// 1 to a day; any other text, the empty one included, gives the default 10.
unsigned ParseRepeatMinutes(std::string_view text);

}  // namespace pavlune
