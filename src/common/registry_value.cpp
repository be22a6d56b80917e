#include "common/registry_value.h"

#include "common/integer_text.h"

namespace pavlune {

namespace {

constexpr std::string_view kNone = "none";
constexpr char kDigits[] = "0123456789abcdef";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string RegistryValueText(const RegistryValue& value) {
    if (!value.Exists) return std::string(kNone);
    std::string text = std::to_string(value.Type) + ",";
    for (unsigned char byte : value.Data) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::optional<RegistryValue> ParseRegistryValueText(std::string_view text) {
    if (text == kNone) return RegistryValue{};
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const std::string_view type = text.substr(0, comma);
    const std::optional<std::int64_t> number = ParseInteger(type);
    if (!number || *number < 0 || type.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    const std::string_view hex = text.substr(comma + 1);
    if (hex.size() % 2 != 0) return std::nullopt;
    RegistryValue value{true, static_cast<std::uint32_t>(*number), {}};
    for (std::size_t at = 0; at < hex.size(); at += 2) {
        const int high = HexDigit(hex[at]);
        const int low = HexDigit(hex[at + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        value.Data += static_cast<char>(high << 4 | low);
    }
    return value;
}

}  // namespace pavlune
