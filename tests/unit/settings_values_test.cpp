// Boolean values of the settings file: an integer, non-zero is true; text
// that is no integer gives the key's default.
#include "app/settings_values.h"

#include <gtest/gtest.h>

#include <optional>

namespace pavlune {
namespace {

TEST(ParseBoolean, IntegersAndDefaults) {
    // nullopt: the text is no integer, so the default comes back.
    struct Case {
        const char* text;
        std::optional<bool> value;
    };
    const Case cases[] = {
        {"1", true},
        {"0", false},
        {"2", true},
        {"-1", true},
        {"+5", true},
        {"-0", false},
        {"007", true},
        {"000", false},
        {"$0", false},
        {"$ff", true},
        {"$FF", true},
        {"0x0", false},
        {"0X1F", true},
        {"0x00000000", false},
        {"-$1", true},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"yes", std::nullopt},
        {"0x", std::nullopt},   // the prefix needs a digit after it
        {"0X", std::nullopt},
        {"$", std::nullopt},
        {"-", std::nullopt},
        {"+", std::nullopt},
        {"$g", std::nullopt},
        {"1a", std::nullopt},
        {"12 ", std::nullopt},
        {" 1", std::nullopt},
        {"1.0", std::nullopt},
        {"--1", std::nullopt},
        {"$-1", std::nullopt},
        {"0x-1", std::nullopt},
        // 32-bit limits
        {"2147483647", true},
        {"2147483648", std::nullopt},
        {"-2147483648", true},
        {"-2147483649", std::nullopt},
        {"$FFFFFFFF", true},
        {"0x100000000", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"0000000000000000000000000", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.value) {
            EXPECT_EQ(ParseBoolean(c.text, true), *c.value);
            EXPECT_EQ(ParseBoolean(c.text, false), *c.value);
        } else {
            EXPECT_TRUE(ParseBoolean(c.text, true));
            EXPECT_FALSE(ParseBoolean(c.text, false));
        }
    }
}

}  // namespace
}  // namespace pavlune
