// Shift-JIS (code page 932) text helpers. All text in Pavlune is bytes in
// code page 932 held in std::string; every search for a mark or separator
// walks characters with these helpers, so the second byte of a two-byte
// character (0x5C in 表, 0x40 in the ideographic space) never matches.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pavlune {

// 0x81-0x9F and 0xE0-0xFC start a two-byte character.
constexpr bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Byte length of the character at pos: 2 for a lead byte with a byte after it,
// otherwise 1 (a lead byte at the very end stands alone).
std::size_t CharLength(std::string_view text, std::size_t pos);

// Position of the first character equal to the single-byte character ch,
// walking characters from pos (which must start a character). npos if none.
std::size_t FindChar(std::string_view text, char ch, std::size_t pos = 0);

// Position of the last character equal to ch, walking from the start.
std::size_t FindLastChar(std::string_view text, char ch);

// The last character of text (one or two bytes); empty for an empty text.
std::string_view LastChar(std::string_view text);

// Removes bytes 0x01 to 0x20 at both ends. The ideographic space stays.
std::string_view TrimControl(std::string_view text);

}  // namespace pavlune
