// The column sort of the status list: bytes compared with a-z folded, then
// lengths; absent fields first; a click on the same column flips direction.
#include "lan/presence.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pavlune {
namespace {

using namespace std::string_view_literals;

int Sign(int value) {
    return (value > 0) - (value < 0);
}

TEST(StatusSort, CompareColumnText) {
    struct Case {
        const char* name;
        std::string_view a, b;
        int sign;
    };
    const Case cases[] = {
        {"equal", "abc", "abc", 0},
        {"ASCII letter case ignored", "abc", "ABC", 0},
        {"mixed case", "Abc", "abD", -1},
        {"first difference decides", "abz", "aca", -1},
        {"folded before comparing: [ is after A", "[", "a", 1},
        {"_ is after folded z", "_", "z", 1},
        {"` is no letter", "`", "@", 1},
        {"{ is no letter", "{", "[", 1},
        {"shorter first when the start is equal", "ab", "abc", -1},
        {"length decides after folding", "ABC", "ab", 1},
        {"empty", "", "", 0},
        {"empty first", "", "a", -1},
        {"unsigned bytes", "z", "\x80", -1},
        {"unsigned bytes, double-byte text", "Z", "表", -1},
        {"second bytes are folded too: ア and ヂ", "ア", "ヂ", 0},
        {"second byte differs", "表", "評", -1},  // 0x95 0x5C, 0x95 0x5D
        {"prefix of a double-byte text", "表", "表示", -1},
        {"zero bytes count", "a\0b"sv, "a\0c"sv, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Sign(CompareColumnText(c.a, c.b)), c.sign);
        EXPECT_EQ(Sign(CompareColumnText(c.b, c.a)), -c.sign);
    }
}

StatusRow Row(std::string name, std::string whereabouts, std::optional<std::string> category2 = std::nullopt) {
    StatusRow row;
    row.Name = std::move(name);
    row.Whereabouts = std::move(whereabouts);
    row.Category2 = std::move(category2);
    return row;
}

TEST(StatusSort, CompareRowsByColumn) {
    StatusRow a{"Abe", "外出", "2002/01/21 09:05:07", "営業部", "1課", "192.0.2.1"};
    StatusRow b{"Baba", "会議中", "2001/12/31 23:59:59", "開発部", "1課", "192.0.2.2"};
    // 外 0x8A 0x4F, 会 0x89 0xEF; 営 0x89 0x63, 開 0x8A 0x4A.
    const int signs[kStatusColumnCount] = {-1, 1, 1, -1, 0};
    for (int column = 0; column < kStatusColumnCount; ++column) {
        EXPECT_EQ(Sign(CompareRows(a, b, column)), signs[column]) << "column " << column;
    }

    b.Category2.reset();
    EXPECT_GT(CompareRows(a, b, 4), 0) << "an absent field sorts before any";
    a.Category2 = "";
    EXPECT_GT(CompareRows(a, b, 4), 0) << "even before an empty one";
    a.Category2.reset();
    EXPECT_EQ(CompareRows(a, b, 4), 0) << "two absent fields are equal";
}

std::vector<std::string> Names(const std::vector<StatusRow>& rows) {
    std::vector<std::string> names;
    for (const StatusRow& row : rows) names.push_back(row.Name);
    return names;
}

TEST(StatusSort, AbsentCategory2FirstAscendingLastDescending) {
    const std::vector<StatusRow> rows = {Row("a", "", "2課"), Row("b", ""), Row("c", "", "1課"), Row("d", ""),
                                         Row("e", "", "")};
    std::vector<StatusRow> sorted = rows;
    SortRows(sorted, {4, false});
    EXPECT_EQ(Names(sorted), (std::vector<std::string>{"b", "d", "e", "c", "a"}));

    sorted = rows;
    SortRows(sorted, {4, true});
    EXPECT_EQ(Names(sorted), (std::vector<std::string>{"a", "c", "e", "b", "d"}));
}

TEST(StatusSort, EqualRowsKeepTheirOrder) {
    // Whereabouts that differ only in ASCII letter case compare equal. Enough
    // rows that an unstable sort would show (short ranges are often sorted stably).
    const char* lunches[] = {"Lunch", "LUNCH", "lunch"};
    std::vector<StatusRow> rows;
    std::vector<std::string> atLunch, inMeeting;
    for (int i = 0; i < 40; ++i) {
        const std::string name = std::to_string(i);
        const bool meeting = i % 4 == 3;
        rows.push_back(Row(name, meeting ? "会議" : lunches[i % 3]));
        (meeting ? inMeeting : atLunch).push_back(name);
    }
    for (bool descending : {false, true}) {
        std::vector<StatusRow> sorted = rows;
        SortRows(sorted, {1, descending});
        std::vector<std::string> expected = descending ? inMeeting : atLunch;
        for (const std::string& name : descending ? atLunch : inMeeting) expected.push_back(name);
        EXPECT_EQ(Names(sorted), expected) << (descending ? "descending" : "ascending");
    }
}

TEST(StatusSort, NoColumnLeavesTheOrder) {
    std::vector<StatusRow> rows = {Row("b", ""), Row("a", "")};
    SortRows(rows, ColumnSort{});
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"b", "a"}));
}

TEST(ColumnSort, ClicksFlipOnlyTheSortedColumn) {
    struct Step {
        int click;
        int column;
        bool descending;
    };
    const Step steps[] = {
        {1, 1, false},  // first click: ascending
        {1, 1, true},   // same column: descending
        {1, 1, false},  // third: ascending again
        {1, 1, true},
        {3, 3, false},  // another column after descending: ascending
        {0, 0, false},  // another column after ascending: ascending
        {0, 0, true},
    };
    ColumnSort sort;
    EXPECT_EQ(sort.Column, -1);
    for (const Step& step : steps) {
        sort = sort.Click(step.click);
        EXPECT_EQ(sort.Column, step.column) << "click on " << step.click;
        EXPECT_EQ(sort.Descending, step.descending) << "click on " << step.click;
    }
}

}  // namespace
}  // namespace pavlune
