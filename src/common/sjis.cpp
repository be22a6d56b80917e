#include "common/sjis.h"

namespace pavlune {

std::size_t CharLength(std::string_view text, std::size_t pos) {
    if (pos + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos]))) return 2;
    return 1;
}

std::size_t FindChar(std::string_view text, char ch, std::size_t pos) {
    for (; pos < text.size(); pos += CharLength(text, pos)) {
        if (text[pos] == ch) return pos;
    }
    return std::string_view::npos;
}

std::size_t FindLastChar(std::string_view text, char ch) {
    std::size_t found = std::string_view::npos;
    for (std::size_t pos = FindChar(text, ch); pos != std::string_view::npos;
         pos = FindChar(text, ch, pos + 1)) {
        found = pos;
    }
    return found;
}

std::string_view LastChar(std::string_view text) {
    std::size_t last = 0;
    std::size_t length = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += length) {
        last = pos;
        length = CharLength(text, pos);
    }
    return text.substr(last, length);
}

std::string_view TrimControl(std::string_view text) {
    auto isControl = [](char c) {
        auto b = static_cast<unsigned char>(c);
        return b >= 0x01 && b <= 0x20;
    };
    while (!text.empty() && isControl(text.front())) text.remove_prefix(1);
    while (!text.empty() && isControl(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace pavlune
