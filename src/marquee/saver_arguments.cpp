#include "marquee/saver_arguments.h"

#include <optional>

#include "common/sjis.h"

namespace pavlune {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

// The arguments after the program name, which may be quoted and hold blanks
// (and two-byte characters, whose second bytes are never a quote or a blank).
std::string_view AfterProgramName(std::string_view commandLine) {
    if (!commandLine.empty() && commandLine.front() == '"') {
        std::size_t close = FindChar(commandLine, '"', 1);
        return close == std::string_view::npos ? std::string_view() : commandLine.substr(close + 1);
    }
    std::size_t pos = 0;
    while (pos < commandLine.size() && !IsBlank(commandLine[pos])) pos += CharLength(commandLine, pos);
    return commandLine.substr(pos);
}

// A window handle written in decimal, as the system writes it; a negative
// number is the same handle written as a signed one.
std::optional<std::uint32_t> ParseWindow(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    text = text.substr(0, end);
    bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.size() > 20) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return static_cast<std::uint32_t>(negative ? 0 - value : value);
}

}  // namespace

SaverArguments ParseSaverArguments(std::string_view commandLine) {
    std::string_view rest = SkipBlanks(AfterProgramName(commandLine));
    if (rest.size() < 2 || (rest[0] != '/' && rest[0] != '-')) return {};
    const char letter = static_cast<char>(rest[1] | 0x20);
    std::string_view value = rest.substr(2);
    if (!value.empty() && value.front() == ':') value.remove_prefix(1);
    else value = SkipBlanks(value);

    switch (letter) {
        case 's':
            return {SaverArguments::Mode::FullScreen, 0};
        case 'p':
        case 'l': {
            std::optional<std::uint32_t> window = ParseWindow(value);
            if (!window || *window == 0) return {SaverArguments::Mode::Nothing, 0};
            return {SaverArguments::Mode::Preview, *window};
        }
        case 'a':
            return {SaverArguments::Mode::Nothing, 0};
        default:
            return {SaverArguments::Mode::Settings, ParseWindow(value).value_or(0)};
    }
}

}  // namespace pavlune
