// The message saver's stored values, its command line and its motion.
#include "marquee/marquee_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "marquee/marquee_motion.h"
#include "marquee/saver_arguments.h"

namespace pavlune {
namespace {

using Values = std::map<std::string, std::string>;

MarqueeSettings Parse(const Values& values) {
    return ParseMarqueeSettings([&](const char* name) -> std::optional<std::string> {
        auto found = values.find(name);
        if (found == values.end()) return std::nullopt;
        return found->second;
    });
}

TEST(MarqueeSettings, NoValuesGiveTheDefaults) {
    MarqueeSettings settings = Parse({});
    EXPECT_EQ(settings, DefaultMarqueeSettings());
    EXPECT_EQ(settings.CharSet, 128) << "the texts are code page 932";
    EXPECT_FALSE(settings.Text.empty());
    // Pavlune writes an empty text for an empty message: nothing is shown.
    EXPECT_EQ(Parse({{"Text", ""}}).Text, "");
}

TEST(MarqueeSettings, StoredValuesAreRead) {
    MarqueeSettings settings = Parse({{"Text", "会議中"}, {"Font", "ＭＳ 明朝"}, {"Size", "24"}, {"Speed", "3"},
                                      {"TextColor", "255 0 255"}, {"BackgroundColor", "0 0 128"}, {"CharSet", "0"}});
    EXPECT_EQ(settings.Text, "会議中");
    EXPECT_EQ(settings.Font, "ＭＳ 明朝");
    EXPECT_EQ(settings.Size, 24);
    EXPECT_EQ(settings.Speed, 3);
    EXPECT_EQ(settings.TextColor, (MarqueeColor{255, 0, 255}));
    EXPECT_EQ(settings.BackgroundColor, (MarqueeColor{0, 0, 128}));
    EXPECT_EQ(settings.CharSet, 0);
}

TEST(MarqueeSettings, NumbersOutOfRangeAreBroughtIntoIt) {
    struct Case {
        const char* size;
        int expectedSize;
        const char* speed;
        int expectedSpeed;
    };
    const Case cases[] = {
        {"8", 8, "1", 1},   {"300", 300, "20", 20}, {"7", 8, "0", 1}, {"301", 300, "21", 20},
        {"-5", 8, "-1", 1}, {"99999999999999", 300, "4294967297", 20}, {" 36 ", 36, "\t7", 7},
    };
    for (const Case& c : cases) {
        MarqueeSettings settings = Parse({{"Size", c.size}, {"Speed", c.speed}});
        EXPECT_EQ(settings.Size, c.expectedSize) << c.size;
        EXPECT_EQ(settings.Speed, c.expectedSpeed) << c.speed;
    }
    EXPECT_EQ(Parse({{"CharSet", "256"}}).CharSet, 255);
}

TEST(MarqueeSettings, MalformedValuesGiveTheirDefaults) {
    const MarqueeSettings defaults = DefaultMarqueeSettings();
    for (const char* bad : {"", " ", "abc", "12px", "1.5", "+3", "--2", "1 2", "１２", "\x82\x50"}) {
        MarqueeSettings settings = Parse({{"Size", bad}, {"Speed", bad}, {"CharSet", bad}, {"TextColor", bad},
                                          {"BackgroundColor", bad}, {"Font", bad}});
        EXPECT_EQ(settings.Size, defaults.Size) << bad;
        EXPECT_EQ(settings.Speed, defaults.Speed) << bad;
        EXPECT_EQ(settings.CharSet, defaults.CharSet) << bad;
        EXPECT_EQ(settings.TextColor, defaults.TextColor) << bad;
        EXPECT_EQ(settings.BackgroundColor, defaults.BackgroundColor) << bad;
    }
}

TEST(MarqueeSettings, FontNamesWindowsCannotTakeGiveTheDefault) {
    const std::string fallback = DefaultMarqueeSettings().Font;
    EXPECT_EQ(Parse({{"Font", ""}}).Font, fallback);
    EXPECT_EQ(Parse({{"Font", "   "}}).Font, fallback);
    EXPECT_EQ(Parse({{"Font", std::string(32, 'A')}}).Font, fallback) << "no room for the zero";
    EXPECT_EQ(Parse({{"Font", std::string(31, 'A')}}).Font, std::string(31, 'A'));
    EXPECT_EQ(Parse({{"Font", "Arial\r\nX"}}).Font, fallback);
    EXPECT_EQ(Parse({{"Font", " Arial "}}).Font, "Arial");
}

TEST(MarqueeSettings, Colors) {
    struct Case {
        const char* text;
        std::optional<MarqueeColor> color;
    };
    const Case cases[] = {
        {"0 0 0", MarqueeColor{0, 0, 0}},
        {"255 255 255", MarqueeColor{255, 255, 255}},
        {"  12\t34   56 ", MarqueeColor{12, 34, 56}},
        {"256 0 0", std::nullopt},
        {"0 -1 0", std::nullopt},
        {"0 0", std::nullopt},
        {"0 0 0 0", std::nullopt},
        {"0,0,0", std::nullopt},
        {"red", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseColor(c.text), c.color) << c.text;
    EXPECT_EQ(FormatColor({1, 22, 255}), "1 22 255");
}

TEST(MarqueeSettings, FormattedValuesReadBackTheSame) {
    MarqueeSettings settings{"外出(15時戻り)", "ＭＳ ゴシック", 120, 17, {10, 20, 30}, {200, 100, 0}, 128};
    Values stored;
    for (const auto& [name, value] : FormatMarqueeSettings(settings)) stored[name] = value;
    EXPECT_EQ(Parse(stored), settings);
}

TEST(MarqueeSettings, TextIsShownOnOneLineAndCutOnACharacter) {
    EXPECT_EQ(DisplayableText("会議中\r\n15時\t戻り"), "会議中  15時 戻り");
    EXPECT_EQ(DisplayableText("表示ソフト"), "表示ソフト") << "second bytes 0x5C stay";
    EXPECT_EQ(DisplayableText(std::string(600, 'a')), std::string(kMaxTextBytes, 'a'));
    std::string dbcs = "a";
    while (dbcs.size() < 600) dbcs += "会";
    std::string cut = DisplayableText(dbcs);
    EXPECT_EQ(cut, dbcs.substr(0, kMaxTextBytes - 1)) << "the last character would not fit whole";
}

TEST(SaverArguments, Modes) {
    using Mode = SaverArguments::Mode;
    struct Case {
        const char* commandLine;
        Mode mode;
        std::uint32_t window;
    };
    const Case cases[] = {
        {"ssmarque.scr /s", Mode::FullScreen, 0},
        {"\"C:\\WINDOWS\\system32\\ssmarque.scr\" /S", Mode::FullScreen, 0},
        {"C:\\表示\\ssmarque.scr -s", Mode::FullScreen, 0},
        {"ssmarque.scr /p 1234", Mode::Preview, 1234},
        {"ssmarque.scr /p:5678", Mode::Preview, 5678},
        {"ssmarque.scr /p -2", Mode::Preview, 0xFFFFFFFEu},
        {"ssmarque.scr /p", Mode::Nothing, 0},
        {"ssmarque.scr /p 0", Mode::Nothing, 0},
        {"ssmarque.scr /c:4321", Mode::Settings, 4321},
        {"ssmarque.scr /c", Mode::Settings, 0},
        {"ssmarque.scr", Mode::Settings, 0},
        {"\"C:\\Program Files\\ssmarque.scr\"", Mode::Settings, 0},
        {"\"C:\\Program Files\\ssmarque.scr\" /s", Mode::FullScreen, 0},
        {"ssmarque.scr /a 777", Mode::Nothing, 0},
        {"\"unterminated /s", Mode::Settings, 0},
    };
    for (const Case& c : cases) {
        SaverArguments arguments = ParseSaverArguments(c.commandLine);
        EXPECT_EQ(arguments.Run, c.mode) << c.commandLine;
        EXPECT_EQ(arguments.Window, c.window) << c.commandLine;
    }
}

TEST(MarqueeMotion, TextCrossesFromRightToLeftThenStartsAgain) {
    const int pps = PixelsPerSecond(10);  // 400
    EXPECT_EQ(pps, 400);
    EXPECT_EQ(FrameAt(0, pps, 1000, 200).Left, 1000) << "enters at the right edge";
    EXPECT_EQ(FrameAt(500, pps, 1000, 200).Left, 800);
    EXPECT_EQ(FrameAt(2999, pps, 1000, 200).Left, -199) << "its last pixel still shows";
    MarqueeFrame next = FrameAt(3000, pps, 1000, 200);
    EXPECT_EQ(next.Left, 1000);
    EXPECT_EQ(next.Pass, 1);
    // About 49.7 days on, GetTickCount's range: no overflow, still moving.
    EXPECT_GT(FrameAt(0xFFFFFFFFu, PixelsPerSecond(kMaxSpeed), 1920, 5000).Pass, 0);
    EXPECT_EQ(FrameAt(1000, pps, 0, 0).Left, 0) << "an empty area does not divide by zero";
    EXPECT_EQ(PixelsPerSecond(1, 1), 1) << "a tiny preview still moves";
}

TEST(MarqueeMotion, EachPassTakesAnotherLineInsideTheArea) {
    EXPECT_EQ(LineTop(0, 1080, 100), 490) << "the first pass in the middle";
    int previous = LineTop(0, 1080, 100);
    for (int pass = 1; pass < 50; ++pass) {
        int top = LineTop(pass, 1080, 100);
        EXPECT_GE(top, 0);
        EXPECT_LE(top, 980);
        EXPECT_NE(top, previous) << pass;
        previous = top;
    }
    EXPECT_EQ(LineTop(7, 100, 140), -20) << "a line taller than the area is centred";
}

TEST(MarqueeMotion, OnlyAMoveBeyondAFewPixelsEndsTheSaver) {
    EXPECT_FALSE(IsRealMouseMove(100, 100, 100, 100));
    EXPECT_FALSE(IsRealMouseMove(100, 100, 104, 96));
    EXPECT_TRUE(IsRealMouseMove(100, 100, 105, 100));
    EXPECT_TRUE(IsRealMouseMove(100, 100, 100, 95));
}

}  // namespace
}  // namespace pavlune
