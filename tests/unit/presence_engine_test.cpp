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

TEST(PresenceEngine, ARefreshAsksThriceHearsItselfAnswerBareAndGreysWhoDidNotAnswer) {
    Pc pc;
    pc.engine.Heard(0, "2002/01/21 08:00:00\\外出\\鈴木\\総務部", "192.0.2.9");
    pc.engine.RequestStates(0);
    pc.RunUntil(4000);
    EXPECT_EQ(pc.Texts(), (std::vector<std::string>{kRequest, "\\\\LOGOFF", kRequest, "\\\\LOGOFF", kRequest}));
    EXPECT_TRUE(pc.engine.Table().Find("鈴木")->Greyed) << "鈴木 did not answer";
    EXPECT_TRUE(pc.engine.TakeDroppedRows());
    EXPECT_EQ(pc.sent[0].to, std::vector<Ipv4>{kLocalBroadcast});
}

TEST(PresenceEngine, AStatusIsRepeatedAndAnsweredWithTheSameBytesAndARequesterBeyondTheRouterDirectly) {
    Pc pc;
    pc.engine.SetRepeatMinutes(0);  // 1
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
    pc.RunUntil(pc.sent.back().at + 60000);  // then every period less up to a fifth, from the last send
    ASSERT_EQ(pc.Texts(first + 5), (std::vector<std::string>{kStatus}));
    EXPECT_TRUE(pc.sent[first + 5].text == pc.sent[first].text && pc.sent[first + 5].at - pc.sent[first + 4].at >= 48000);
    pc.engine.RequestStates(pc.now);  // its own Refresh: it answers with no status, and repeats none
    pc.RunUntil(pc.now + 130000);
    EXPECT_EQ(pc.Texts(first + 6).size(), 5u);
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
    pc.engine.Heard(12000, "2002/01/21 08:00:00\\外出\\鈴木\\総務部", "192.0.2.9");
    pc.engine.NetworkChanged(12000);
    pc.RunUntil(30000, false);  // not up yet: the PC does not even hear itself; nothing goes, a retry greys
    const std::size_t retry = pc.heard = pc.sent.size();
    pc.RunUntil(52000);
    EXPECT_TRUE(pc.sent.at(retry).at == 48000 && pc.engine.Table().Size() == 2 && pc.engine.Table().Find("鈴木")->Greyed);
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
