#include "marquee/marquee_settings.h"

#include <algorithm>

#include "common/sjis.h"

namespace pavlune {

namespace {

constexpr const char* kText = "Text";
constexpr const char* kFont = "Font";
constexpr const char* kSize = "Size";
constexpr const char* kSpeed = "Speed";
constexpr const char* kTextColor = "TextColor";
constexpr const char* kBackgroundColor = "BackgroundColor";
constexpr const char* kCharSet = "CharSet";

constexpr int kMaxCharSet = 255;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A whole decimal number with an optional minus sign, saturated far beyond
// any range used here; nothing for anything else.
std::optional<long> ParseWholeNumber(std::string_view text) {
    constexpr long kSaturation = 1000000;
    text = TrimBlanks(text);
    bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = std::min(value * 10 + (c - '0'), kSaturation);
    }
    return negative ? -value : value;
}

int NumberIn(const std::optional<std::string>& text, int low, int high, int fallback) {
    if (!text) return fallback;
    std::optional<long> value = ParseWholeNumber(*text);
    if (!value) return fallback;
    return static_cast<int>(std::clamp<long>(*value, low, high));
}

MarqueeColor ColorOr(const std::optional<std::string>& text, const MarqueeColor& fallback) {
    if (!text) return fallback;
    return ParseColor(*text).value_or(fallback);
}

// A face name Windows can take: not empty, not too long, one line.
std::string FontOr(const std::optional<std::string>& text, const std::string& fallback) {
    if (!text) return fallback;
    std::string_view name = TrimBlanks(*text);
    if (name.empty() || name.size() > kMaxFontBytes) return fallback;
    if (DisplayableText(name) != name) return fallback;
    return std::string(name);
}

}  // namespace

MarqueeSettings DefaultMarqueeSettings() {
    MarqueeSettings settings;
    settings.Text = "ただいま席を外しています";
    settings.Font = "ＭＳ Ｐゴシック";
    settings.Size = 72;
    settings.Speed = 10;
    settings.TextColor = {255, 255, 255};
    settings.BackgroundColor = {0, 0, 0};
    settings.CharSet = 128;  // SHIFTJIS_CHARSET: the texts are code page 932
    return settings;
}

MarqueeSettings ParseMarqueeSettings(const MarqueeValueReader& read) {
    const MarqueeSettings defaults = DefaultMarqueeSettings();
    MarqueeSettings settings;
    // An empty text is a text: the user chose to show nothing.
    std::optional<std::string> text = read(kText);
    settings.Text = text ? DisplayableText(*text) : defaults.Text;
    settings.Font = FontOr(read(kFont), defaults.Font);
    settings.Size = NumberIn(read(kSize), kMinSize, kMaxSize, defaults.Size);
    settings.Speed = NumberIn(read(kSpeed), kMinSpeed, kMaxSpeed, defaults.Speed);
    settings.TextColor = ColorOr(read(kTextColor), defaults.TextColor);
    settings.BackgroundColor = ColorOr(read(kBackgroundColor), defaults.BackgroundColor);
    settings.CharSet = NumberIn(read(kCharSet), 0, kMaxCharSet, defaults.CharSet);
    return settings;
}

std::vector<std::pair<const char*, std::string>> FormatMarqueeSettings(const MarqueeSettings& settings) {
    return {
        {kText, settings.Text},
        {kFont, settings.Font},
        {kSize, std::to_string(settings.Size)},
        {kSpeed, std::to_string(settings.Speed)},
        {kTextColor, FormatColor(settings.TextColor)},
        {kBackgroundColor, FormatColor(settings.BackgroundColor)},
        {kCharSet, std::to_string(settings.CharSet)},
    };
}

std::optional<MarqueeColor> ParseColor(std::string_view text) {
    int parts[3] = {};
    std::size_t count = 0;
    text = TrimBlanks(text);
    while (!text.empty()) {
        std::size_t end = 0;
        while (end < text.size() && !IsBlank(text[end])) ++end;
        std::optional<long> value = ParseWholeNumber(text.substr(0, end));
        if (count == 3 || !value || *value < 0 || *value > 255) return std::nullopt;
        parts[count++] = static_cast<int>(*value);
        text = TrimBlanks(text.substr(end));
    }
    if (count != 3) return std::nullopt;
    return MarqueeColor{parts[0], parts[1], parts[2]};
}

std::string FormatColor(const MarqueeColor& color) {
    return std::to_string(color.Red) + " " + std::to_string(color.Green) + " " + std::to_string(color.Blue);
}

std::string DisplayableText(std::string_view text) {
    std::string shown;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = CharLength(text, pos);
        if (shown.size() + length > kMaxTextBytes) break;
        unsigned char first = static_cast<unsigned char>(text[pos]);
        if (length == 1 && (first < 0x20 || first == 0x7F)) shown += ' ';
        else shown.append(text, pos, length);
        pos += length;
    }
    return shown;
}

}  // namespace pavlune
