#include "app/settings_values.h"

#include <algorithm>

#include "common/integer_text.h"

namespace pavlune {

bool ParseBoolean(std::string_view text, bool defaultValue) {
    std::optional<std::int64_t> value = ParseInteger(text);
    return value ? *value != 0 : defaultValue;
}

unsigned ParseRepeatMinutes(std::string_view text) {
    std::optional<std::int64_t> value = ParseInteger(text);
    return value ? static_cast<unsigned>(std::clamp<std::int64_t>(*value, 1, 24 * 60)) : 10;
}

}  // namespace pavlune
