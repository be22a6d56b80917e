// Presence datagrams: what a receiver makes of each kind of text, how the
// status table keeps one row per name, and the exact bytes that are sent.
#include "lan/presence.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pavlune {
namespace {

using namespace std::string_view_literals;

const LocalTime kWorkedTime{2002, 1, 21, 9, 5, 7};
constexpr const char* kStamp = "2002/01/21 09:05:07";

std::string Wire(std::string_view text) {
    std::string datagram(text);
    datagram += '\0';
    return datagram;
}

// A status record as it arrives from another instance.
std::string Record(std::string_view whereabouts, std::string_view myName) {
    return Wire(PresenceText(kWorkedTime, StatusPayload(whereabouts, myName)));
}

struct Expected {
    std::string Name, Whereabouts, SetTime, Category1;
    std::optional<std::string> Category2;
    std::string PeerAddress = "192.0.2.7";
};

void ExpectRow(const StatusRow& row, const Expected& expected) {
    EXPECT_EQ(row.Name, expected.Name);
    EXPECT_EQ(row.Whereabouts, expected.Whereabouts);
    EXPECT_EQ(row.SetTime, expected.SetTime);
    EXPECT_EQ(row.Category1, expected.Category1);
    EXPECT_EQ(row.Category2, expected.Category2);
    EXPECT_EQ(row.PeerAddress, expected.PeerAddress);
}

std::vector<std::string> Names(const StatusTable& table) {
    std::vector<std::string> names;
    for (const StatusRow& row : table.Rows()) names.push_back(row.Name);
    return names;
}

TEST(PresenceReceive, WorkedExample) {
    const std::string datagram = Record("会議中", "山田\\開発部\\2課");
    EXPECT_EQ(datagram, "2002/01/21 09:05:07\\会議中\\山田\\開発部\\2課\0"sv);

    StatusTable table;
    EXPECT_EQ(table.Receive(datagram, "192.0.2.7"), PresenceAction::Refill);
    ASSERT_EQ(table.Rows().size(), 1u);
    ExpectRow(table.Rows()[0], {"山田", "会議中", kStamp, "開発部", "2課"});
}

// One datagram into an empty table.
TEST(PresenceReceive, KindsOfText) {
    struct Case {
        const char* name;
        std::string_view datagram;
        PresenceAction action;
        std::optional<Expected> row;
    };
    const auto refill = PresenceAction::Refill;
    const auto none = PresenceAction::None;
    const Case cases[] = {
        {"one backslash in MyName: no category 2", "2002/01/21 09:05:07\\会議中\\山田\\開発部\0"sv, refill,
         Expected{"山田", "会議中", kStamp, "開発部", std::nullopt}},
        {"three backslashes: category 2 keeps the rest", "2002/01/21 09:05:07\\会議中\\山田\\開発部\\2課\\A班\0"sv,
         refill, Expected{"山田", "会議中", kStamp, "開発部", "2課\\A班"}},
        {"nothing after the second backslash", "2002/01/21 09:05:07\\会議中\\山田\\開発部\\\0"sv, refill,
         Expected{"山田", "会議中", kStamp, "開発部", ""}},
        {"MyName without backslash", "2002/01/21 09:05:07\\会議中\\山田\0"sv, refill, std::nullopt},
        {"trail byte 0x5C splits nothing", "2002/01/21 09:05:07\\表示ソ\\表ソ\\ソ表\\表\0"sv, refill,
         Expected{"表ソ", "表示ソ", kStamp, "ソ表", "表"}},
        {"trail byte 0x5C in the stamp", "表示\\会議中\\山田\\開発部\0"sv, refill,
         Expected{"山田", "会議中", "表示", "開発部", std::nullopt}},
        {"no stamp before the first separator", "\\会議中\\山田\\開発部\0"sv, refill,
         Expected{"山田", "会議中", "", "開発部", std::nullopt}},
        {"empty whereabouts: the name is taken for a command",
         "2002/01/21 09:05:07\\\\表ソ\\表示\\ソ課\\A班\0"sv, refill,
         Expected{"ソ課", "表示", kStamp, "A班", std::nullopt}},
        {"empty whereabouts, nothing left to name a row", "2002/01/21 09:05:07\\\\山田\\開発部\\2課\0"sv, refill,
         std::nullopt},
        {"lower-case getstate is a record", "2002/01/21 09:05:07\\\\getstate\\ \\山田\\開発部\0"sv, refill,
         Expected{"山田", " ", kStamp, "開発部", std::nullopt}},
        {"LogOff is no log-off", "2002/01/21 09:05:07\\\\LogOff\\ \\山田\\開発部\0"sv, refill,
         Expected{"山田", " ", kStamp, "開発部", std::nullopt}},
        {"bare log-off reply", "2002/01/21 09:05:07\\\\LOGOFF\0"sv, refill, std::nullopt},
        {"GETSTATE", "2002/01/21 09:05:07\\\\GETSTATE\\ \\山田\\開発部\0"sv, PresenceAction::AnswerStateRequest,
         std::nullopt},
        {"no zero byte: read to the end", "2002/01/21 09:05:07\\会議中\\山田\\開発部"sv, refill,
         Expected{"山田", "会議中", kStamp, "開発部", std::nullopt}},
        {"bytes after a zero byte are ignored", "2002/01/21 09:05:07\\会議中\\山田\\開発部\0\\2課\0"sv, refill,
         Expected{"山田", "会議中", kStamp, "開発部", std::nullopt}},
        {"zero byte before the name's separator", "2002/01/21 09:05:07\\会議中\\山田\0\\開発部\0"sv, refill,
         std::nullopt},
        {"zero-length", ""sv, none, std::nullopt},
        {"only the zero byte", "\0"sv, none, std::nullopt},
        {"no separator", "2002/01/21 09:05:07\0"sv, none, std::nullopt},
        {"one separator", "2002/01/21 09:05:07\\会議中\0"sv, none, std::nullopt},
        {"one separator hidden in 表", "2002/01/21 09:05:07\\表示\0"sv, none, std::nullopt},
        {"lone separator", "\\\0"sv, none, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StatusTable table;
        EXPECT_EQ(table.Receive(c.datagram, "192.0.2.7"), c.action);
        if (c.row) {
            ASSERT_EQ(table.Rows().size(), 1u);
            ExpectRow(table.Rows()[0], *c.row);
        } else {
            EXPECT_TRUE(table.Rows().empty());
        }
    }
}

TEST(StatusTable, StateRequestChangesNothing) {
    StatusTable table;
    table.Receive(Record("会議中", "山田\\開発部"), "192.0.2.7");
    const std::string request = Wire(PresenceText(kWorkedTime, StateRequestPayload("山田\\開発部")));

    EXPECT_EQ(table.Receive(request, "192.0.2.9"), PresenceAction::AnswerStateRequest);
    ASSERT_EQ(table.Rows().size(), 1u);
    ExpectRow(table.Rows()[0], {"山田", "会議中", kStamp, "開発部", std::nullopt});
}

TEST(StatusTable, LogOffDeletesTheRow) {
    StatusTable table;
    table.Receive(Record("会議中", "山田\\開発部"), "192.0.2.7");
    table.Receive(Record("外出", "Sato\\営業部"), "192.0.2.8");
    const auto logOff = [](std::string_view myName) {
        return Wire(PresenceText(kWorkedTime, LogOffPayload(myName)));
    };

    EXPECT_EQ(table.Receive(logOff("鈴木\\総務部"), "192.0.2.9"), PresenceAction::Refill);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"山田", "Sato"})) << "unknown name: nothing changes";

    EXPECT_EQ(table.Receive(logOff("SATO\\営業部"), "192.0.2.9"), PresenceAction::Refill);
    EXPECT_EQ(Names(table), std::vector<std::string>{"山田"}) << "letter case is ignored";
    EXPECT_EQ(table.Find("sato"), nullptr);
    EXPECT_EQ(table.Find("山田"), &table.Rows()[0]);

    EXPECT_EQ(table.Receive(Wire(PresenceText(kWorkedTime, kBareLogOffPayload)), "192.0.2.7"),
              PresenceAction::Refill);
    EXPECT_EQ(Names(table), std::vector<std::string>{"山田"}) << "the bare reply names nobody";

    EXPECT_EQ(table.Receive(logOff("山田\\開発部\\2課"), "192.0.2.7"), PresenceAction::Refill);
    EXPECT_TRUE(table.Rows().empty());
}

TEST(StatusTable, NewRecordReplacesTheRowAtTheEnd) {
    StatusTable table;
    table.Receive(Record("会議中", "山田\\開発部"), "192.0.2.7");
    table.Receive(Record("外出", "佐藤\\営業部"), "192.0.2.8");
    table.Receive(Record("休暇", "鈴木\\総務部"), "192.0.2.9");

    table.Receive(Wire("2002/01/21 10:00:00\\帰社\\山田\\開発部\\2課"), "192.0.2.7");
    EXPECT_EQ(Names(table), (std::vector<std::string>{"佐藤", "鈴木", "山田"}));
    ExpectRow(table.Rows().back(), {"山田", "帰社", "2002/01/21 10:00:00", "開発部", "2課"});
}

TEST(StatusTable, ARefreshKeepsTheRowsOfThePcsThatAnswer) {
    StatusTable table;
    for (const char* myName : {"山田\\開発部", "佐藤\\営業部", "鈴木\\総務部", "Ghost\\x"}) table.Receive(Record("", myName), "");
    table.AwaitAnswers();
    EXPECT_EQ(Names(table).size(), 4u) << "nothing goes before the round ends";
    table.Receive(Record("外出", "鈴木\\総務部"), "192.0.2.9");
    table.Receive(Record("会議中", "山田\\開発部"), "192.0.2.7");
    table.Receive(Wire(PresenceText(kWorkedTime, LogOffPayload("佐藤\\営業部"))), "192.0.2.8");
    EXPECT_TRUE(table.EndRound());
    EXPECT_EQ(Names(table), (std::vector<std::string>{"Ghost", "鈴木", "山田"})) << "greyed, not dropped";
    table.AwaitAnswers();
    EXPECT_TRUE(table.EndRound());
    EXPECT_EQ(Names(table), (std::vector<std::string>{"鈴木", "山田"})) << "Ghost missed two rounds";
}

TEST(StatusTable, OnlyARowHeardRepeatingOnItsOwnLongAfterAndNotJustAfterARequestGreysWhenSilent) {
    const std::string texts[] = {Record("会議中", "山田\\開発部"), Wire("2002/01/21 09:00:00\\\\GETSTATE\\ \\鈴木\\x"),
                                 Wire("2002/01/21 09:06:00\\会議中\\山田\\開発部")};  // record, request, newer record
    const struct { const char* name; std::vector<std::pair<Ticks, int>> heard; Ticks greyAt; } cases[] = {
        {"every minute; heard again, once more", {{0, 0}, {60000, 0}, {300000, 0}}, 450001},
        {"an answer keeps it", {{0, 0}, {60000, 0}, {100000, 1}, {100500, 0}}, 250501},
        {"older: only answers", {{0, 0}, {60000, 1}, {69000, 0}, {200000, 1}, {200500, 0}}, 0},
        {"quick repeats of a status just set", {{0, 0}, {1000, 0}, {3250, 0}}, 0},
        {"a newer record starts over", {{0, 0}, {60000, 0}, {61000, 2}}, 0},
    };
    for (const auto& c : cases) {
        StatusTable table;
        Ticks greyAt = 0, next = 0;
        for (Ticks t = 0; t < 900000; ++t) {
            for (; next < c.heard.size() && c.heard[next].first == t; ++next) table.Receive(texts[c.heard[next].second], "", t);
            if (table.GreySilent(t)) greyAt = t;
        }
        EXPECT_EQ(greyAt, c.greyAt) << c.name;
        EXPECT_EQ(table.Find("山田")->Greyed, c.greyAt != 0) << c.name;
    }
}

TEST(StatusTable, NamesDifferingInAsciiCaseShareOneRow) {
    StatusTable table;
    table.Receive(Record("会議中", "Tanaka\\開発部"), "192.0.2.1");
    table.Receive(Record("外出", "TANAKA\\営業部"), "192.0.2.2");
    ASSERT_EQ(table.Rows().size(), 1u);
    ExpectRow(table.Rows()[0], {"TANAKA", "外出", kStamp, "営業部", std::nullopt, "192.0.2.2"});
}

TEST(StatusTable, OtherNamesKeepTheirRows) {
    StatusTable table;
    // ア is 0x83 0x41 and ヂ is 0x83 0x61: only their second bytes differ, by
    // the distance between "A" and "a".
    for (const char* myName : {"ア\\開発部", "ヂ\\開発部", "Tanaka\\開発部", "Tana\\開発部", "Tanaka2\\開発部"}) {
        table.Receive(Record("会議中", myName), "192.0.2.1");
    }
    EXPECT_EQ(Names(table), (std::vector<std::string>{"ア", "ヂ", "Tanaka", "Tana", "Tanaka2"}));
}

TEST(StatusTable, AnEmptyMessageIsARowWithABlankWhereabouts) {
    StatusTable table;
    EXPECT_EQ(table.Receive(Record("", "山田\\開発部"), "192.0.2.7"), PresenceAction::Refill);
    ASSERT_EQ(table.Rows().size(), 1u);
    ExpectRow(table.Rows()[0], {"山田", " ", kStamp, "開発部", std::nullopt});
}

TEST(StatusTable, HoldsTheNewestTenThousandNames) {
    StatusTable table;
    for (int i = 0; i < 20000; ++i) table.Receive(Record("会議中", "n" + std::to_string(i) + "\\x"), "192.0.2.7");
    ASSERT_EQ(table.Rows().size(), kMaxStatusRows);
    EXPECT_EQ(table.Rows().front().Name, "n10000");
    EXPECT_EQ(table.Rows().back().Name, "n19999");
    table.Receive(Record("帰宅", "n10000\\x"), "192.0.2.7");  // a known name drops nobody
    EXPECT_EQ(table.Rows().size(), kMaxStatusRows);
    EXPECT_EQ(table.Rows().front().Name, "n10001");
}

TEST(PresenceFormat, Stamps) {
    struct Case {
        LocalTime time;
        const char* stamp;
        const char* minutes;
    };
    const Case cases[] = {
        {kWorkedTime, "2002/01/21 09:05:07", "2002/01/21 09:05"},
        {{1999, 12, 31, 23, 59, 59}, "1999/12/31 23:59:59", "1999/12/31 23:59"},
        {{2010, 10, 1, 0, 0, 0}, "2010/10/01 00:00:00", "2010/10/01 00:00"},
        {{987, 1, 2, 3, 4, 5}, "0987/01/02 03:04:05", "0987/01/02 03:04"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatStamp(c.time), c.stamp);
        EXPECT_EQ(FormatMinuteStamp(c.time), c.minutes);
    }
}

TEST(PresenceFormat, Payloads) {
    EXPECT_EQ(StatusPayload("会議中", "山田\\開発部"), "会議中\\山田\\開発部");
    EXPECT_EQ(StatusPayload("", "山田\\開発部"), " \\山田\\開発部");
    EXPECT_EQ(StateRequestPayload("山田\\開発部"), "\\GETSTATE\\ \\山田\\開発部");
    EXPECT_EQ(LogOffPayload("山田\\開発部"), "\\LOGOFF\\ \\山田\\開発部");
    EXPECT_EQ(std::string_view(kBareLogOffPayload), "\\LOGOFF");

    const std::string request = PresenceText(kWorkedTime, StateRequestPayload(""));
    EXPECT_EQ(request, "2002/01/21 09:05:07\\\\GETSTATE\\ \\");
    EXPECT_EQ(request.size(), 19u + 1 + 1 + 8 + 1 + 1 + 1);
}

TEST(PresenceFormat, SenderName) {
    struct Case {
        std::string_view myName;
        std::string_view name;
    };
    const Case cases[] = {
        {"山田\\開発部\\2課", "山田"}, {"山田\\開発部", "山田"}, {"山田", ""},   {"", ""},
        {"\\開発部", ""},              {"表\\ソ", "表"},          {"表ソ", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(SenderName(c.myName), c.name) << c.myName;
    // The first start's answer comes back whole, its name first.
    EXPECT_EQ(ComposeMyName("表", "ソ", ""), "表\\ソ");
    EXPECT_EQ(ComposeMyName("山田", "開発部", "2課"), "山田\\開発部\\2課");
    EXPECT_EQ(SenderName(ComposeMyName("表", "ソ", "")), "表");
}

TEST(PresenceFormat, PersonalMessage) {
    EXPECT_EQ(PersonalMessage("山田\\開発部\\2課", kWorkedTime, "もしもし"), "山田\n<<2002/01/21 09:05>>\nもしもし");
    EXPECT_EQ(PersonalMessage("山田", kWorkedTime, "もしもし"), "\n<<2002/01/21 09:05>>\nもしもし");
    EXPECT_EQ(PersonalMessage("表\\x", {2002, 11, 3, 17, 30, 0}, ""), "表\n<<2002/11/03 17:30>>\n");
}

}  // namespace
}  // namespace pavlune
