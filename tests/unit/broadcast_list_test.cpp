// The BroadcastTo list: which entries become places to send to, which are
// named as skipped, and which requesters get an answer of their own.
#include "lan/broadcast_list.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

constexpr Ipv4 Address(unsigned a, unsigned b, unsigned c, unsigned d) { return a << 24 | b << 16 | c << 8 | d; }

TEST(ParseBroadcastList, EntriesSeparatorsAndSkips) {
    struct Case {
        const char* name;
        const char* text;
        std::vector<Ipv4> targets;
        std::vector<std::string> skipped;
    };
    const Case cases[] = {
        {"empty", "", {}, {}},
        {"only separators", " ,\t, 　", {}, {}},
        {"commas, blanks, tabs, ideographic space", "10.1.2.255,10.8.0.23 , 192.168.5.255\t10.1.3.255　",
         {Address(10, 1, 2, 255), Address(10, 8, 0, 23), Address(192, 168, 5, 255), Address(10, 1, 3, 255)}, {}},
        {"duplicates once, leading zeros decimal", "10.1.2.255 010.001.002.255", {Address(10, 1, 2, 255)}, {}},
        {"host names", "server1 10.1.2.255 経理部", {Address(10, 1, 2, 255)}, {"server1", "経理部"}},
        {"this network, multicast, reserved, the local broadcast",
         "0.0.0.0 0.1.2.3 224.0.0.1 239.255.255.250 240.0.0.1 255.255.255.255", {},
         {"0.0.0.0", "0.1.2.3", "224.0.0.1", "239.255.255.250", "240.0.0.1", "255.255.255.255"}},
        {"malformed", "10.1.2.256 300.1.1.1 10.1.2 10.1.2.3.4 10..2.3 .10.1.2 0010.1.2.3 10.1.2.3. 10.1.2.3x",
         {}, {"10.1.2.256", "300.1.1.1", "10.1.2", "10.1.2.3.4", "10..2.3", ".10.1.2", "0010.1.2.3", "10.1.2.3.", "10.1.2.3x"}},
        {"no masks, signs, hex or semicolons", "10.1.2.3/24 +10.1.2.3 0x0a.1.2.3 10.1.2.255;10.1.3.255", {},
         {"10.1.2.3/24", "+10.1.2.3", "0x0a.1.2.3", "10.1.2.255;10.1.3.255"}},
        // 表 ends in 0x5C and ソ in 0x83 0x5C: characters are walked, so no half character is split off.
        {"double-byte junk", "表,ソ\x81\x40" "10.1.2.255", {Address(10, 1, 2, 255)}, {"表", "ソ"}},
        {"full-width digits", "１０.１.２.３", {}, {"１０.１.２.３"}},
    };
    for (const Case& c : cases) {
        BroadcastList list = ParseBroadcastList(c.text);
        EXPECT_EQ(list.Targets, c.targets) << c.name;
        EXPECT_EQ(list.Skipped, c.skipped) << c.name;
    }
}

TEST(ParseBroadcastList, EntriesBeyondTheLimitAreSkipped) {
    std::string text;
    for (unsigned i = 1; i <= kMaxBroadcastTargets + 2; ++i) text += "10.2." + std::to_string(i) + ".255 ";
    BroadcastList list = ParseBroadcastList(text);
    ASSERT_EQ(list.Targets.size(), kMaxBroadcastTargets);
    EXPECT_EQ(list.Targets.back(), Address(10, 2, kMaxBroadcastTargets, 255));
    EXPECT_EQ(list.Skipped, (std::vector<std::string>{"10.2.65.255", "10.2.66.255"}));
}

TEST(OwnSubnets, RequestersTargetsAndDirectAnswers) {
    const std::vector<Subnet> office = GuessedSubnets({Address(10, 1, 2, 11)});
    const std::vector<Subnet> officeAndVpn = GuessedSubnets({Address(192, 168, 1, 5), Address(10, 8, 0, 23)});
    const std::vector<Subnet> loopbackOnly = GuessedSubnets({Address(127, 0, 1, 1)});
    const std::vector<Subnet> wide = {{Address(10, 1, 2, 11), 0xFFFFFE00}};
    const std::vector<Subnet> half = {{Address(10, 1, 2, 11), 0xFFFFFF80}};
    const std::vector<Ipv4> floorTwo = {Address(10, 1, 3, 255)};
    struct Case {
        const char* name;
        Ipv4 address;
        const std::vector<Subnet>& own;
        const std::vector<Ipv4>& targets;
        bool inOwn, reached, direct;
    };
    const std::vector<Subnet> noSubnet;
    const std::vector<Ipv4> none;
    const Case cases[] = {
        {"same /24", Address(10, 1, 2, 200), office, none, true, false, false},
        {"this PC", Address(10, 1, 2, 11), office, none, true, true, false},
        {"own subnet's broadcast", Address(10, 1, 2, 255), office, none, true, true, false},
        {"neighbouring /24 counts as outside", Address(10, 1, 3, 7), office, none, false, false, true},
        {"VPN address far away", Address(10, 8, 0, 23), office, none, false, false, true},
        {"its subnet is a target", Address(10, 1, 3, 7), office, floorTwo, false, false, false},
        {"it is a target itself", Address(10, 8, 0, 23), office, std::vector<Ipv4>{Address(10, 8, 0, 23)}, false,
         false, false},
        {"loopback is this PC", Address(127, 0, 0, 1), office, none, true, false, false},
        {"second adapter's subnet", Address(10, 8, 0, 1), officeAndVpn, none, true, false, false},
        {"second adapter's broadcast", Address(10, 8, 0, 255), officeAndVpn, none, true, true, false},
        {"no own address known", Address(10, 8, 0, 23), noSubnet, none, false, false, false},
        {"only a loopback name known", Address(10, 8, 0, 23), loopbackOnly, none, false, false, false},
        // The real masks: a /23 office answers its other half by broadcast alone,
        // a /25 office reaches the other half only through the list.
        {"/23: the other /24 is own", Address(10, 1, 3, 7), wide, none, true, false, false},
        {"/23: the one beyond", Address(10, 1, 4, 7), wide, none, false, false, true},
        {"/25: the other half is beyond", Address(10, 1, 2, 200), half, none, false, false, true},
        {"/25: its broadcast", Address(10, 1, 2, 127), half, none, true, true, false},
        {"/25: the other half's broadcast is a target", Address(10, 1, 2, 255), half, none, false, false, true},
        {"limited broadcast as a source", Address(255, 255, 255, 255), office, none, false, false, false},
        // Answers beyond the router stay inside private and VPN ranges.
        {"public address", Address(8, 8, 8, 8), office, none, false, false, false},
        {"172.16/12 from its first to its last", Address(172, 16, 0, 1), office, none, false, false, true},
        {"172.31 inside", Address(172, 31, 255, 9), office, none, false, false, true},
        {"172.32 outside", Address(172, 32, 0, 1), office, none, false, false, false},
        {"192.168/16", Address(192, 168, 77, 5), office, none, false, false, true},
        {"192.169 outside", Address(192, 169, 0, 5), office, none, false, false, false},
        {"100.64/10 shared space", Address(100, 127, 3, 4), office, none, false, false, true},
        {"100.128 outside", Address(100, 128, 0, 1), office, none, false, false, false},
        {"link-local", Address(169, 254, 10, 20), office, none, false, false, true},
        {"11/8 outside", Address(11, 0, 0, 1), office, none, false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InOwnSubnets(c.address, c.own), c.inOwn) << c.name;
        EXPECT_EQ(ReachedByLocalBroadcast(c.address, c.own), c.reached) << c.name;
        EXPECT_EQ(NeedsDirectAnswer(c.address, c.own, c.targets), c.direct) << c.name;
    }
}

TEST(OwnSubnets, AdaptersAndTheirDirectedBroadcasts) {
    const Subnet office = {Address(10, 1, 2, 11), 0xFFFFFE00}, vpn = {Address(10, 8, 0, 23), 0xFFFFFFFF},
                 hyperV = {Address(172, 20, 16, 1), 0xFFFFF000}, loopback = {Address(127, 0, 0, 1), 0xFF000000},
                 small = {Address(10, 1, 4, 5), 0xFFFFFFFC}, holes = {Address(10, 9, 0, 1), 0xFF00FF00};
    const struct {
        std::vector<Subnet> adapters, subnets;
        std::vector<Ipv4> broadcasts;
    } cases[] = {
        {{loopback, office}, {office}, {}},  // one adapter: the local broadcast is enough
        {{hyperV, vpn, office, loopback}, {office, vpn, hyperV}, {Address(10, 1, 3, 255), Address(172, 20, 31, 255)}},
        {{office, {0, 0}, office, small}, {office, small}, {Address(10, 1, 3, 255), Address(10, 1, 4, 7)}},
        {{{Address(10, 1, 2, 11), 0}, holes}, GuessedSubnets({Address(10, 1, 2, 11), Address(10, 9, 0, 1)}),
         {Address(10, 1, 2, 255), Address(10, 9, 0, 255)}},  // no mask, or holes in it: the /24 guess
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AdapterSubnets(c.adapters), c.subnets) << c.adapters.size();
        EXPECT_EQ(DirectedBroadcasts(c.subnets), c.broadcasts) << c.adapters.size();
    }
}

TEST(SkippedEntriesMessage, NamesTheFirstTenShortened) {
    EXPECT_EQ(SkippedEntriesMessage({"server1", "0.0.0.0"}),
              "設定ファイルの BroadcastTo にある次の宛先は使えないため、無視します。\n\nserver1\n0.0.0.0");
    std::vector<std::string> many(12, "x");
    many[0] = "a" + std::string(38, 'b') + "表表";  // 39 bytes, then a character that would cross 40
    const std::string text = SkippedEntriesMessage(many);
    EXPECT_NE(text.find("\n\na" + std::string(38, 'b') + "...\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nほか 2 件"), std::string::npos) << text;
}

}  // namespace
}  // namespace pavlune
