#include "common/integer_text.h"

namespace pavlune {

namespace {

int DigitValue(char c, int base) {
    int value = 36;
    if (c >= '0' && c <= '9') value = c - '0';
    else if (c >= 'a' && c <= 'z') value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'Z') value = c - 'A' + 10;
    return value < base ? value : -1;
}

}  // namespace

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    int base = 10;
    if (!digits.empty() && digits.front() == '$') {
        base = 16;
        digits.remove_prefix(1);
    } else if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    if (digits.empty()) return std::nullopt;

    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t value = 0;
    for (char c : digits) {
        int digit = DigitValue(c, base);
        if (digit < 0) return std::nullopt;
        value = value * base + digit;
        if (value > limit) return std::nullopt;
    }
    if (base == 16) return static_cast<std::int32_t>(static_cast<std::uint32_t>(value)) * (negative ? -1 : 1);
    return negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
}

}  // namespace pavlune
