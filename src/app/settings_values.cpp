#include "app/settings_values.h"

#include "common/integer_text.h"

namespace pavlune {

bool ParseBoolean(std::string_view text, bool defaultValue) {
    std::optional<std::int64_t> value = ParseInteger(text);
    return value ? *value != 0 : defaultValue;
}

}  // namespace pavlune
