// What one PC sends, to whom and when, on a LAN where it hears itself.
#include "lan/presence_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pavlune {
namespace {

constexpr const char* kMyName = "山田\\開発部";
constexpr const char* kOwnAddress = "192.0.2.7";
constexpr Ipv4 kRequesterBeyond = 0x0A080017;  // 10.8.0.23

// Records what is sent; the LAN gives every broadcast back to the engine, as
// the sender's own endpoint hears it, unless the test holds it.
class Pc : public PresenceHost {
public:
    bool Send(const std::string& text, const std::vector<Ipv4>& to) override {
        sent.push_back({now, text, to});
        return true;
    }
    LocalTime LocalNow() override { return {2002, 1, 21, 9, 0, static_cast<int>(now / 1000 % 60)}; }
    std::vector<Ipv4> OwnAddresses() override { return {0xC0000207}; }
    void Pause(Ticks milliseconds) override { now += milliseconds; }

    // Runs the engine until then, hearing its own broadcasts when echo is on.
    void RunUntil(Ticks until, bool echo = true) {
        for (; now <= until; ++now) {
            engine.Wake(now);
            for (; echo && heard < sent.size(); ++heard) engine.Heard(now, sent[heard].text + '\0', kOwnAddress);
        }
        now = until;
    }
    std::vector<std::string> Texts(std::size_t from = 0) const {
        std::vector<std::string> texts;
        for (std::size_t i = from; i < sent.size(); ++i) texts.push_back(sent[i].text.substr(19));
        return texts;
    }

    struct Sent {
        Ticks at;
        std::string text;
        std::vector<Ipv4> to;
    };
    std::vector<Sent> sent;
    std::size_t heard = 0;
    Ticks now = 0;
    std::string myName = kMyName;
    PresenceEngine engine{*this, myName, 7};
};

const std::string kRequest = "\\\\GETSTATE\\ \\山田\\開発部", kStatus = "\\会議中\\山田\\開発部";

TEST(PresenceEngine, ARefreshAsksThriceHearsItselfAnswerBareGreysWhoDidNotAnswerAndDropsThemAtTheNext) {
    Pc pc;
    pc.engine.Heard(0, "2002/01/21 08:00:00\\外出\\鈴木\\総務部", "192.0.2.9");
    pc.engine.RequestStates(0);
    pc.RunUntil(4000);
    EXPECT_EQ(pc.Texts(), (std::vector<std::string>{kRequest, "\\\\LOGOFF", kRequest, "\\\\LOGOFF", kRequest}));
    ASSERT_EQ(pc.engine.Table().Size(), 1u) << "鈴木 missed one round";
    EXPECT_TRUE(pc.engine.Table().Rows()[0].Greyed && pc.engine.TakeDroppedRows());
    pc.engine.RequestStates(4000);
    pc.RunUntil(8000);
    EXPECT_EQ(pc.engine.Table().Size(), 0u) << "鈴木 missed the next round too";
    EXPECT_TRUE(pc.engine.TakeDroppedRows());
    EXPECT_EQ(pc.sent[0].to, std::vector<Ipv4>{kLocalBroadcast});
}

TEST(PresenceEngine, AStatusIsRepeatedAndAnsweredWithTheSameBytesAndARequesterBeyondTheRouterDirectly) {
    Pc pc;
    pc.engine.RequestStates(0);  // as at start-up: the PC's addresses are read
    pc.RunUntil(4000);
    const std::size_t first = pc.sent.size();
    pc.engine.SendStatus(4000, "会議中\\山田\\開発部");
    pc.RunUntil(9000);
    ASSERT_EQ(pc.Texts(first), (std::vector<std::string>(3, kStatus)));
    EXPECT_EQ(pc.sent[first + 2].text, pc.sent[first].text) << "the repeat carries the first stamp";
    EXPECT_TRUE(pc.sent[first + 1].at >= 5000 && pc.sent[first + 2].at >= 7000 && pc.sent[first + 2].at < 7250);
    pc.engine.Heard(9000, "2002/01/21 10:00:00\\\\GETSTATE\\ \\鈴木\\総務部", "10.8.0.23");
    pc.RunUntil(11000);
    ASSERT_EQ(pc.Texts(first + 3), (std::vector<std::string>(2, kStatus)));
    EXPECT_EQ(pc.sent[first + 3].text, pc.sent[first].text);
    EXPECT_EQ(pc.sent[first + 3].to, (std::vector<Ipv4>{kLocalBroadcast, kRequesterBeyond}));
    EXPECT_EQ(pc.sent[first + 4].to, std::vector<Ipv4>{kLocalBroadcast}) << "the requester was answered once";
}

TEST(PresenceEngine, ANetworkChangeMakesOneRefreshOnceSettledThatRepeatsTheStatusWithoutAnsweringItself) {
    Pc pc;
    pc.engine.SendStatus(0, "会議中\\山田\\開発部");
    pc.RunUntil(5000);
    pc.engine.NetworkChanged(5000);
    pc.RunUntil(6000);
    pc.engine.NetworkChanged(6000);
    pc.RunUntil(12000);
    EXPECT_EQ(pc.Texts(3), (std::vector<std::string>{kRequest, kStatus, kRequest, kRequest}));
    EXPECT_EQ(pc.sent[3].at, 8000u);
    EXPECT_EQ(pc.sent[4].text, pc.sent[0].text);
}

// A kills B's Pavlune: B's row greys at A within three periods, an older
// peer's record never; after B's own Refresh B answers and repeats nothing.
TEST(PresenceEngine, AStatusRepeatsEveryPeriodAndAColleagueThatFellSilentGreys) {
    Pc a, b;
    b.engine.SetRepeatMinutes(1);
    a.engine.Heard(0, "2002/01/21 08:00:00\\外出\\鈴木\\総務部", "192.0.2.9");
    b.engine.SendStatus(0, "会議中\\山田\\開発部");
    b.RunUntil(130000);
    ASSERT_EQ(b.Texts(), (std::vector<std::string>(5, kStatus)));
    for (std::size_t i = 3; i < 5; ++i) {
        EXPECT_TRUE(b.sent[i].text == b.sent[0].text && b.sent[i].at - b.sent[i - 1].at >= 48000 &&
                    b.sent[i].at - b.sent[i - 1].at <= 60000) << i;
    }
    for (const Pc::Sent& sent : b.sent) a.engine.Heard(sent.at, sent.text + '\0', kOwnAddress);
    a.RunUntil(b.sent.back().at + 120000);  // two periods: at least two and a half of the shortest wait
    EXPECT_FALSE(a.engine.Table().Find("山田")->Greyed || a.engine.TakeDroppedRows());
    a.RunUntil(b.sent.back().at + 150001);
    EXPECT_TRUE(a.engine.Table().Find("山田")->Greyed && a.engine.TakeDroppedRows());
    EXPECT_FALSE(a.engine.Table().Find("鈴木")->Greyed) << "an older peer";
    b.engine.RequestStates(130000);
    b.RunUntil(400000);
    EXPECT_EQ(b.Texts(5), (std::vector<std::string>{kRequest, "\\\\LOGOFF", kRequest, "\\\\LOGOFF", kRequest}));
}

// Awake on a network that is not up yet: the PC does not even hear itself.
TEST(PresenceEngine, AWakesRoundThatDidNotHearItselfDropsNothingAndIsTriedAgain) {
    Pc pc;
    pc.engine.Heard(0, "2002/01/21 08:00:00\\外出\\鈴木\\総務部", "192.0.2.9");
    pc.engine.NetworkChanged(0);
    pc.RunUntil(20000, false);
    EXPECT_FALSE(pc.engine.Table().Find("鈴木")->Greyed || pc.engine.TakeDroppedRows());
    ASSERT_EQ(pc.sent.size(), 3u);
    pc.heard = 3;
    pc.RunUntil(40000);
    EXPECT_EQ(pc.sent[3].at, 36000u) << "tried again 30 s after the round";
    EXPECT_TRUE(pc.engine.Table().Find("鈴木")->Greyed) << "the network is back: 鈴木 did not answer";
}

TEST(PresenceEngine, LogOffGoesThreeTimesOnceAndSilencesTheRest) {
    Pc pc;
    pc.engine.SendStatus(0, "会議中\\山田\\開発部");
    pc.engine.LogOff(10);
    pc.engine.LogOff(20);
    pc.RunUntil(5000, false);
    const std::string logOff = "\\\\LOGOFF\\ \\山田\\開発部";
    EXPECT_EQ(pc.Texts(1), (std::vector<std::string>(3, logOff)));
    EXPECT_EQ(pc.sent[3].at - pc.sent[1].at, 90u);
    EXPECT_FALSE(pc.engine.NextWake(5000));
}

}  // namespace
}  // namespace pavlune
