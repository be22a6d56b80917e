// The look of the message saver (ssmarque.scr) and the values it keeps them
// in: the key "Control Panel\Screen Saver.Marquee" of the current user holds
// "Text", "Font", "Size", "Speed", "TextColor", "BackgroundColor" and
// "CharSet", all strings. A value that is missing or malformed gives its
// default, so the saver always has something sensible to show.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pavlune {

struct MarqueeColor {
    int Red = 0;
    int Green = 0;
    int Blue = 0;
    friend bool operator==(const MarqueeColor&, const MarqueeColor&) = default;
};

struct MarqueeSettings {
    std::string Text;
    std::string Font;
    int Size = 0;      // points
    int Speed = 0;     // kMinSpeed (slow) to kMaxSpeed (fast)
    MarqueeColor TextColor;
    MarqueeColor BackgroundColor;
    int CharSet = 0;   // the font's character set, as Windows numbers them
    friend bool operator==(const MarqueeSettings&, const MarqueeSettings&) = default;
};

inline constexpr const char* kMarqueeKey = "Control Panel\\Screen Saver.Marquee";

inline constexpr int kMinSize = 8;
inline constexpr int kMaxSize = 300;
inline constexpr int kMinSpeed = 1;
inline constexpr int kMaxSpeed = 20;
// Longer texts are cut on a character boundary; a face name must fit the
// 32 bytes Windows keeps for it, its terminating zero included.
inline constexpr std::size_t kMaxTextBytes = 512;
inline constexpr std::size_t kMaxFontBytes = 31;

// What the saver shows when nothing was ever set.
MarqueeSettings DefaultMarqueeSettings();

// A stored value by name; nothing when it is missing or cannot be read.
using MarqueeValueReader = std::function<std::optional<std::string>(const char* name)>;

// The settings from the stored values. Numbers outside their range are
// brought into it; anything else malformed gives that value's default.
MarqueeSettings ParseMarqueeSettings(const MarqueeValueReader& read);

// The values to store for settings, by name, in the form ParseMarqueeSettings reads.
std::vector<std::pair<const char*, std::string>> FormatMarqueeSettings(const MarqueeSettings& settings);

// "R G B", each 0 to 255, separated by blanks; nothing for anything else.
std::optional<MarqueeColor> ParseColor(std::string_view text);
std::string FormatColor(const MarqueeColor& color);

// The text as the saver draws it on one line: control characters become
// blanks, and it is cut to kMaxTextBytes without splitting a character.
std::string DisplayableText(std::string_view text);

}  // namespace pavlune
