// Shift-JIS character walking: the second byte of a two-byte character is
// never taken for a mark, whatever its value.
#include "common/sjis.h"

#include <gtest/gtest.h>

#include <string_view>

namespace pavlune {
namespace {

using namespace std::string_view_literals;
constexpr auto npos = std::string_view::npos;

TEST(Sjis, LeadBytes) {
    struct Case {
        unsigned char byte;
        bool lead;
    };
    const Case cases[] = {
        {0x5C, false}, {0x80, false}, {0x81, true},  {0x9F, true}, {0xA0, false},
        {0xBF, false},  // half-width katakana ｿ is one byte
        {0xDF, false}, {0xE0, true},  {0xFC, true},  {0xFD, false}, {0xFF, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsLeadByte(c.byte), c.lead) << std::hex << int(c.byte);
    }
}

TEST(Sjis, CharLength) {
    EXPECT_EQ(CharLength("表a", 0), 2u);
    EXPECT_EQ(CharLength("表a", 2), 1u);
    EXPECT_EQ(CharLength("a\x95", 1), 1u) << "a lead byte at the very end stands alone";
}

TEST(Sjis, FindCharSkipsSecondBytes) {
    struct Case {
        const char* name;
        std::string_view text;
        char ch;
        std::size_t found;
    };
    const Case cases[] = {
        {"表 ends in 0x5C", "表示\\x", '\\', 4},
        {"ソ ends in 0x5C", "ソ", '\\', npos},
        {"ideographic space ends in 0x40", "会議　中@", '@', 8},
        {"ァ ends in 0x40", "ァ", '@', npos},
        {"half-width ｿ is one byte", "ｿ\\", '\\', 1},
        {"first of several", "a\\b\\", '\\', 1},
        {"empty", "", '\\', npos},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FindChar(c.text, c.ch), c.found);
    }
    EXPECT_EQ(FindChar("a\\表\\", '\\', 2), 4u) << "the walk starts at pos";
}

TEST(Sjis, FindLastChar) {
    EXPECT_EQ(FindLastChar("a.b.表", '.'), 3u);
    EXPECT_EQ(FindLastChar("a\\表", '\\'), 1u);
    EXPECT_EQ(FindLastChar("表ソ", '\\'), npos);
}

TEST(Sjis, LastChar) {
    EXPECT_EQ(LastChar("a表"), "表");
    EXPECT_EQ(LastChar("表a"), "a");
    EXPECT_EQ(LastChar("ab\\"), "\\");
    EXPECT_EQ(LastChar("a\x95"), "\x95") << "a lone lead byte at the end";
    EXPECT_EQ(LastChar(""), "");
}

TEST(Sjis, TrimControl) {
    struct Case {
        std::string_view text;
        std::string_view trimmed;
    };
    const Case cases[] = {
        {" \t\x01x\x1f\x20", "x"},
        {"\r\na b\n", "a b"},
        {"　x　", "　x　"},  // the ideographic space stays
        {"\x7fx!", "\x7fx!"},
        {" \t ", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrimControl(c.text), c.trimmed);
    }
}

}  // namespace
}  // namespace pavlune
