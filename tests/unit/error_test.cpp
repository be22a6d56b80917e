// The error box adds a full stop when the message's last character compares
// greater than ".".
#include "common/error.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

TEST(ErrorBoxText, FullStopAfterTheLastCharacter) {
    struct Case {
        const char* message;
        const char* shown;
    };
    const Case cases[] = {
        {"Disk full", "Disk full."},
        {"Version 2", "Version 2."},
        {"path/", "path/."},            // 0x2F > 0x2E
        {"Already said.", "Already said."},
        {"a-", "a-"},                   // 0x2D < 0x2E
        {"(x)", "(x)"},                 // 0x29
        {"", ""},
        {"ファイル a は開けません", "ファイル a は開けません."},
        {"一覧表", "一覧表."},          // ends in 0x95 0x5C
        {"a\x95", "a\x95."},            // a lone lead byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message;
    }
}

}  // namespace
}  // namespace pavlune
