// Saver files: the command line that starts one, the name a saver goes by
// on the 9x line, the sorted list of savers with one entry per name, the
// policies that keep the message saver off the screen, and the end of the
// away sign on the NT line.
#include "saver/saver_files.h"

#include "saver/away_sign.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace pavlune {
namespace {

TEST(SaverCommandLine, SwitchSAfterThePathQuotedWhenItHoldsBlanks) {
    struct Case {
        const char* path;
        const char* commandLine;
    };
    const Case cases[] = {
        {"ssmarque.SCR", "ssmarque.SCR /S"},
        {"C:\\WINDOWS\\System32\\sstext3d.scr", "C:\\WINDOWS\\System32\\sstext3d.scr /S"},
        {"伝言板.SCR", "伝言板.SCR /S"},
        {"3D テキスト (OpenGL).SCR", "\"3D テキスト (OpenGL).SCR\" /S"},
        {"C:\\WINDOWS\\SYSTEM\\3D ﾃｷｽﾄ (OpenGL).SCR", "\"C:\\WINDOWS\\SYSTEM\\3D ﾃｷｽﾄ (OpenGL).SCR\" /S"},
        {"C:\\Program Files\\a.scr", "\"C:\\Program Files\\a.scr\" /S"},
        {"C:\\tab\there.scr", "\"C:\\tab\there.scr\" /S"},
        {"\"C:\\Program Files\\a.scr\"", "\"C:\\Program Files\\a.scr\" /S"},  // quoted already
        // The ideographic space (0x81 0x40) is no blank for the command line.
        {"C:\\伝言　板.scr", "C:\\伝言　板.scr /S"},
        {"", " /S"},
    };
    for (const Case& c : cases) EXPECT_EQ(SaverCommandLine(c.path), c.commandLine) << c.path;
}

TEST(SaverFileTitle, NameWithoutFolderAndExtension) {
    struct Case {
        const char* path;
        const char* title;
    };
    const Case cases[] = {
        {"C:\\WINDOWS\\SYSTEM\\伝言板.SCR", "伝言板"},
        {"C:\\WINDOWS\\SYSTEM\\3D テキスト (OpenGL).SCR", "3D テキスト (OpenGL)"},
        {"C:\\WINDOWS\\SYSTEM\\3D ﾃｷｽﾄ (OpenGL).SCR", "3D ﾃｷｽﾄ (OpenGL)"},
        {"C:\\WINDOWS\\SYSTEM\\a.b.scr", "a.b"},
        {"C:\\v1.2\\noext", "noext"},
        {"C:\\表\\ソ.scr", "ソ"},  // the 0x5C in 表 and ソ ends no folder
        {"ssmarque.scr", "ssmarque"},
        {"C:\\WINDOWS\\", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(SaverFileTitle(c.path), c.title) << c.path;
}

TEST(WithTrailingBackslash, AddedOnlyWhenMissing) {
    EXPECT_EQ(WithTrailingBackslash("C:\\WINDOWS\\SYSTEM"), "C:\\WINDOWS\\SYSTEM\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\"), "C:\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\表"), "C:\\表\\") << "表 ends in 0x5C but is no backslash";
    EXPECT_EQ(WithTrailingBackslash(""), "\\");
}

// Letter case does not count, as with the user's locale on Windows.
int CompareIgnoringCase(const std::string& a, const std::string& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        int x = std::tolower(static_cast<unsigned char>(a[i]));
        int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::vector<std::string> Names(const std::vector<SaverListEntry>& list) {
    std::vector<std::string> names;
    for (const SaverListEntry& entry : list) names.push_back(entry.DisplayName);
    return names;
}

TEST(InsertSaverSorted, KeepsTheListSortedByTheGivenComparison) {
    std::vector<SaverListEntry> list;
    for (const char* name : {"Mystify", "beziers", "Starfield", "", "3D Pipes", "marquee"}) {
        EXPECT_TRUE(InsertSaverSorted(list, {name, std::string(name) + ".scr"}, CompareIgnoringCase)) << name;
    }
    EXPECT_EQ(Names(list), (std::vector<std::string>{"", "3D Pipes", "beziers", "marquee", "Mystify", "Starfield"}));
    for (const SaverListEntry& entry : list) EXPECT_EQ(entry.Path, entry.DisplayName + ".scr");
}

TEST(InsertSaverSorted, FirstSaverOfANameStays) {
    std::vector<SaverListEntry> list;
    EXPECT_TRUE(InsertSaverSorted(list, {"Marquee", "first.scr"}, CompareIgnoringCase));
    EXPECT_TRUE(InsertSaverSorted(list, {"Beziers", "b.scr"}, CompareIgnoringCase));
    EXPECT_FALSE(InsertSaverSorted(list, {"MARQUEE", "second.scr"}, CompareIgnoringCase));
    EXPECT_FALSE(InsertSaverSorted(list, {"Marquee", "third.scr"}, CompareIgnoringCase));
    EXPECT_TRUE(InsertSaverSorted(list, {"", "none1.scr"}, CompareIgnoringCase));
    EXPECT_FALSE(InsertSaverSorted(list, {"", "none2.scr"}, CompareIgnoringCase)) << "empty names are equal too";
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].Path, "none1.scr");
    EXPECT_EQ(list[1].Path, "b.scr");
    EXPECT_EQ(list[2].Path, "first.scr");
    EXPECT_EQ(list[2].DisplayName, "Marquee");
}

TEST(InsertSaverSorted, ComparisonDecidesWhatIsEqual) {
    auto ordinal = [](const std::string& a, const std::string& b) { return a.compare(b); };
    std::vector<SaverListEntry> list;
    EXPECT_TRUE(InsertSaverSorted(list, {"marquee", "a.scr"}, ordinal));
    EXPECT_TRUE(InsertSaverSorted(list, {"Marquee", "b.scr"}, ordinal));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Marquee", "marquee"}));
}

TEST(PoliciesLetSaverShow, OnlyTheMessageSaverItselfOrNoPolicy) {
    const SaverPolicy none;
    struct Case {
        const char* name;
        std::vector<SaverPolicy> policies;
        bool shows;
    };
    const Case cases[] = {
        {"no policy key", {}, true},
        {"keys without the values", {none, none}, true},
        {"this saver, other case and folder", {{"%SystemRoot%\\System32\\SSMARQUE.SCR", "1"}}, true},
        {"this saver in quotes with blanks", {{" \"C:\\Pavlune\\ssmarque.scr\" ", std::nullopt}}, true},
        {"another saver", {{"scrnsave.scr", std::nullopt}}, false},
        {"the machine fixes another one", {none, {"C:\\Windows\\System32\\Mystify.scr", std::nullopt}}, false},
        {"savers switched off, around blanks", {{"ssmarque.scr", " 0 "}}, false},
        {"an empty saver fixes none, savers on", {{"", "1"}}, true},
        {"a name that only differs in a second byte", {{"ｓｓmarque.scr", std::nullopt}}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(PoliciesLetSaverShow(c.policies, "ssmarque.scr"), c.shows) << c.name;
}

// Events: S a message starts the sign (P with a password saver), r a look
// finds the saver running, . a look finds it stopped, l a lock, u an unlock.
// Each event that ends the sign shows as B in the result, one after which the
// flag is looked at only now and then as s, any other as a blank.
TEST(AwaySignWatch, TheSignEndsWhenTheSaverStopsOrAnUnlockComes) {
    struct Case {
        const char* events;
        const char* ends;
    };
    const Case cases[] = {
        {"S.rr.", "    B"},        // the saver came a look late, then stopped
        {"r.u", "   "},            // no message, no sign
        {"S.u.", "  B "},          // an unlock before the saver was seen
        {"Sru.", "  B "},          // the unlock ended it; the stopped saver adds nothing
        {"S..............r.u", "          sssss B "},  // a saver long after the message still ends it
        {"Sr.Sr.", "  B  B"},      // each message its own return
        {"Pr..u.", "    B "},      // a bumped mouse stops a password saver; the unlock ends the sign
        {"Srl..u", "     B"},      // a lock seen while the sign is up asks for the unlock too
        {"lSr.", "   B"},          // a lock before the message belongs to no sign
    };
    for (const Case& c : cases) {
        AwaySignWatch watch;
        std::string ends;
        for (const char* event = c.events; *event; ++event) {
            bool ended = false;
            if (*event == 'S' || *event == 'P') watch.Started(*event == 'P');
            else if (*event == 'l') watch.Locked();
            else if (*event == 'u') ended = watch.Unlocked();
            else ended = watch.Look(*event == 'r');
            ends += ended ? 'B' : watch.LookingSlowly() ? 's' : ' ';
        }
        EXPECT_EQ(ends, c.ends) << c.events;
    }
}

}  // namespace
}  // namespace pavlune
