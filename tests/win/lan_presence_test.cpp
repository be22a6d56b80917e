// The main window's presence against Wine's real Winsock. wine-run gives
// every Windows test a network namespace of its own, so the broadcasts sent
// here reach this process alone; the test's own datagrams go to 127.0.0.1.
#include "lan/lan_presence.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "raw_socket.h"
#include "win_test_support.h"

namespace pavlune {
namespace {

using test::PumpFor;
using test::PumpUntil;
using test::RawSocket;
using test::ScriptedDialogs;

constexpr int kPresencePort = 5963;
constexpr int kMessagePort = 5964;
constexpr int kTestPort = 25970;
constexpr const char* kMyName = "山田\\開発部\\2課";
const std::regex kStamp(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d)");

// Hands out every message but the timer's, as Windows does while posted
// messages keep coming: it makes WM_TIMER only when none is waiting.
void PumpWithoutTimers(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, WM_TIMER - 1, PM_REMOVE) ||
               PeekMessageA(&message, nullptr, WM_TIMER + 1, 0xFFFF, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
}

// GCC 12 warns wrongly about "literal" + std::string at -O3, so texts with
// a number are built by appending.
std::string Numbered(const char* text, int number) {
    std::string numbered = text;
    numbered += std::to_string(number);
    return numbered;
}

bool IsStampThen(const std::string& text, const std::string& rest) {
    return text.size() == 19 + rest.size() && std::regex_match(text.substr(0, 19), kStamp) &&
           text.substr(19) == rest;
}

// The main window's presence on a message-only window of the test; its
// message boxes go to Dialogs.
template <typename Dialogs>
class PresenceFixture : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        presence_ = std::make_unique<LanPresence>(window_, GetModuleHandleA(nullptr), dialogs_, myName_);
    }
    void TearDown() override {
        presence_.reset();
        DestroyWindow(window_);
    }

    HWND window_ = nullptr;
    std::string myName_ = kMyName;
    Dialogs dialogs_;
    std::unique_ptr<LanPresence> presence_;
};

class LanPresenceTest : public PresenceFixture<ScriptedDialogs> {
protected:

    const StatusRow* Row(const std::string& name) const {
        for (const StatusRow& row : presence_->Table().Rows()) {
            if (row.Name == name) return &row;
        }
        return nullptr;
    }
    // A marker record from the test's socket: once its row is in, every
    // datagram sent before it has been handled.
    bool Settle(RawSocket& socket) {
        static int marker = 0;
        const std::string name = Numbered("marker", ++marker);
        socket.SendTo(kPresencePort, "2002/01/01 00:00:00\\-\\" + name + std::string("\\x", 3));
        return PumpUntil([&] { return Row(name) != nullptr; });
    }

};

// ---- What an instance hears of itself ----------------------------------------

TEST_F(LanPresenceTest, OwnStateRequestIsAnsweredWithTheBareLogOffReply) {
    presence_->RequestStates();
    EXPECT_EQ(presence_->LastSentState(), "") << "emptied after the request went out";
    ASSERT_TRUE(PumpUntil([&] { return !presence_->LastSentState().empty(); })) << "own request not answered";
    EXPECT_TRUE(IsStampThen(presence_->LastSentState(), "\\\\LOGOFF")) << presence_->LastSentState();
    EXPECT_TRUE(presence_->Table().Rows().empty());
}

TEST_F(LanPresenceTest, OwnStatusRecordAddsOwnRowWithThisPcsAddress) {
    presence_->BroadcastState(std::string("会議中\\") + kMyName, false);
    EXPECT_TRUE(IsStampThen(presence_->LastSentState(), std::string("\\会議中\\") + kMyName));
    ASSERT_TRUE(PumpUntil([&] { return Row("山田") != nullptr; }));
    const StatusRow& row = *Row("山田");
    EXPECT_EQ(row.Whereabouts, "会議中");
    EXPECT_EQ(row.SetTime, presence_->LastSentState().substr(0, 19));
    EXPECT_EQ(row.Category1, "開発部");
    EXPECT_EQ(row.Category2, "2課");
    EXPECT_TRUE(std::regex_match(row.PeerAddress, std::regex(R"(\d+\.\d+\.\d+\.\d+)"))) << row.PeerAddress;
}

// ---- Answers to other instances -----------------------------------------------

// The answer is broadcast, so this instance hears it too: once its own row
// is gone, only the answer on the wire can bring it back.
TEST_F(LanPresenceTest, StateRequestIsAnsweredWithAReplayThatKeepsItsStamp) {
    RawSocket other(kTestPort);
    presence_->BroadcastState(std::string("外出\\") + kMyName, false);
    const std::string sent = presence_->LastSentState();
    ASSERT_TRUE(PumpUntil([&] { return Row("山田") != nullptr; }));
    Sleep(1100);  // a new stamp would differ by now
    other.SendTo(kPresencePort, std::string("2002/01/01 00:00:00\\\\LOGOFF\\ \\") + kMyName + '\0');
    ASSERT_TRUE(Settle(other));
    ASSERT_EQ(Row("山田"), nullptr);

    other.SendTo(kPresencePort, std::string("2002/01/01 00:00:00\\\\GETSTATE\\ \\鈴木\\総務部") + '\0');
    ASSERT_TRUE(PumpUntil([&] { return Row("山田") != nullptr; })) << "no answer was heard";
    EXPECT_EQ(Row("山田")->Whereabouts, "外出");
    EXPECT_EQ(Row("山田")->SetTime, sent.substr(0, 19)) << "the replay carries the old stamp";
    EXPECT_EQ(presence_->LastSentState(), sent);
    EXPECT_EQ(Row("鈴木"), nullptr) << "a state request adds no row";
}

// Requests keep coming faster than the interval: the answer held back by
// the first of them still goes out once the interval is over.
TEST_F(LanPresenceTest, StreamOfStateRequestsIsAnsweredWithinTheAnswerInterval) {
    RawSocket other(kTestPort);
    presence_->BroadcastState(std::string("外出\\") + kMyName, false);
    ASSERT_TRUE(PumpUntil([&] { return Row("山田") != nullptr; }));
    const std::string request = std::string("2002/01/01 00:00:00\\\\GETSTATE\\ \\鈴木\\総務部") + '\0';
    other.SendTo(kPresencePort, request);
    ASSERT_TRUE(Settle(other));  // answered at once: the next answer waits for the interval
    other.SendTo(kPresencePort, std::string("2002/01/01 00:00:00\\\\LOGOFF\\ \\") + kMyName + '\0');
    bool gone = false;
    bool back = false;
    for (int i = 0; i < 40 && !back; ++i) {  // 2 s of requests, 20 a second
        other.SendTo(kPresencePort, request);
        PumpWithoutTimers(50);
        if (!Row("山田")) gone = true;
        else back = gone;
    }
    EXPECT_TRUE(gone);
    EXPECT_TRUE(back) << "no answer while the requests kept coming";
}

TEST_F(LanPresenceTest, AfterRefreshARequestIsAnsweredWithTheBareLogOffReply) {
    RawSocket other(kTestPort);
    presence_->BroadcastState(std::string("外出\\") + kMyName, false);
    ASSERT_TRUE(PumpUntil([&] { return Row("山田") != nullptr; }));
    presence_->RequestStates();
    EXPECT_NE(Row("山田"), nullptr) << "the refresh emptied the table at its start";
    ASSERT_TRUE(PumpUntil([&] { return !presence_->LastSentState().empty(); }));
    EXPECT_TRUE(IsStampThen(presence_->LastSentState(), "\\\\LOGOFF"));
    EXPECT_TRUE(PumpUntil([&] { return Row("山田") && Row("山田")->Greyed; })) << "the unanswered row not greyed";
}

TEST_F(LanPresenceTest, CommandWordInOtherLetterCaseIsReadAsAStatusRecord) {
    RawSocket other(kTestPort);
    other.SendTo(kPresencePort, std::string("2002/01/01 00:00:00\\\\getstate\\ \\小文字\\課") + '\0');
    ASSERT_TRUE(Settle(other));
    ASSERT_NE(Row("小文字"), nullptr);
    EXPECT_EQ(Row("小文字")->Whereabouts, " ");
    EXPECT_EQ(presence_->LastSentState(), "") << "no answer was sent";
}

// ---- The open list ------------------------------------------------------------------

int listRefills = 0;
WNDPROC listProcedure = nullptr;

LRESULT CALLBACK CountingRefills(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == LVM_DELETEALLITEMS) ++listRefills;
    return CallWindowProcA(listProcedure, window, message, wParam, lParam);
}

// The user types in another window while a burst of colleagues' records arrives.
TEST_F(LanPresenceTest, BurstRefillsTheOpenListFarLessThanOncePerRecordAndLeavesTheKeyboard) {
    presence_->N8Click();
    HWND list = FindWindowExA(presence_->StatusWindow()->Handle(), nullptr, WC_LISTVIEWA, nullptr);
    listRefills = 0;
    listProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingRefills)));
    HWND typing = CreateWindowExA(0, "EDIT", "typing", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    SetForegroundWindow(typing);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == typing; }));

    constexpr int kBurst = 300;
    RawSocket other(kTestPort);
    for (int i = 0; i < kBurst; ++i) {
        std::string record = "2002/01/01 00:00:00\\会議中\\";
        other.SendTo(kPresencePort, record.append(Numbered("同僚", i)).append("\\課", 4));
    }
    // Over 2,048 bytes, the burst's last datagram cannot be read: the rows
    // before it still reach the list within the refill interval.
    other.SendTo(kPresencePort, std::string(3000, 'x'));
    const DWORD start = GetTickCount();
    EXPECT_TRUE(PumpUntil([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == kBurst; }));
    // At most one refill per 100 ms while the burst is read, and one at its end.
    EXPECT_LE(listRefills, static_cast<int>((GetTickCount() - start) / 100) + 2) << "refilled for nearly every record";
    EXPECT_EQ(GetForegroundWindow(), typing) << "a colleague's news took the keyboard";
    DestroyWindow(typing);
}

// ---- Beyond the router ---------------------------------------------------------------

// Holding the presence port itself, the test hears everything the instance
// sends there: the local broadcast and the copies for the BroadcastTo places.
TEST(LanPresenceBroadcastTo, EveryPlaceHearsTheSameBytesOnThePresencePort) {
    RawSocket wire(kPresencePort, "0.0.0.0");
    const HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ScriptedDialogs dialogs;
    const std::string myName = kMyName;
    LanPresence presence(window, GetModuleHandleA(nullptr), dialogs, myName);
    // Everything sent, as (sender, bytes), until the wire has been quiet a moment.
    auto heard = [&] {
        std::vector<std::pair<std::string, std::string>> all;
        std::string bytes, from;
        while (wire.Receive(bytes, from, 500)) all.emplace_back(from, bytes);
        return all;
    };

    presence.BroadcastState(std::string("会議中\\") + kMyName, false);
    const auto alone = heard();
    ASSERT_EQ(alone.size(), 1u) << "without places only the local broadcast goes";
    EXPECT_EQ(alone[0].second, presence.LastSentState() + '\0');
    const std::string ownSubnetBroadcast = alone[0].first.substr(0, alone[0].first.rfind('.')) + ".255";

    // The own subnet's broadcast address is no further place: it heard the local broadcast.
    presence.SetBroadcastTargets({*ParseDottedIpv4("127.0.0.1"), *ParseDottedIpv4(ownSubnetBroadcast),
                                  *ParseDottedIpv4("127.0.0.2")});
    presence.RequestStates();
    presence.BroadcastState(std::string("外出\\") + kMyName, false);
    const std::string record = presence.LastSentState() + '\0';
    const auto copies = heard();
    std::map<std::string, int> timesHeard;
    int fromLoopback = 0;
    for (const auto& [from, bytes] : copies) {
        ++timesHeard[bytes];
        fromLoopback += from == "127.0.0.1";
    }
    // The request and the record, each heard from the local broadcast and two places.
    ASSERT_EQ(timesHeard.size(), 2u);
    const std::string request = timesHeard.begin()->first == record ? timesHeard.rbegin()->first : timesHeard.begin()->first;
    EXPECT_TRUE(IsStampThen(request, std::string("\\\\GETSTATE\\ \\") + kMyName + '\0'));
    EXPECT_EQ(timesHeard, (std::map<std::string, int>{{record, 3}, {request, 3}}));
    EXPECT_EQ(fromLoopback, 4) << "two copies each to the loopback places";
    DestroyWindow(window);
}

// ---- Leaving --------------------------------------------------------------------

TEST_F(LanPresenceTest, LogOffIsNotHeardByItselfAndStopsListening) {
    RawSocket other(kTestPort);
    presence_->BroadcastState(std::string("在席\\") + kMyName, false);
    ASSERT_TRUE(PumpUntil([&] { return Row("山田") != nullptr; }));

    presence_->LogOff();
    EXPECT_TRUE(IsStampThen(presence_->LastSentState(), std::string("\\\\LOGOFF\\ \\") + kMyName));
    other.SendTo(kPresencePort, std::string("2002/01/01 00:00:00\\在席\\後から\\x") + '\0');
    PumpFor(500);
    EXPECT_NE(Row("山田"), nullptr) << "the instance heard its own log-off";
    EXPECT_EQ(Row("後から"), nullptr) << "still listening after the log-off";

    const std::string once = presence_->LastSentState();
    Sleep(1100);
    presence_->LogOff();
    EXPECT_EQ(presence_->LastSentState(), once) << "a second log-off was sent";
}

// A cancelled end of the session: listening, its last status told again, a colleague's request answered.
TEST_F(LanPresenceTest, ReopenedAfterLogOffListensAndTellsItsLastStatusAgain) {
    RawSocket other(kTestPort);
    presence_->BroadcastState(std::string("在席\\") + kMyName, false);
    const std::string sent = presence_->LastSentState();
    presence_->LogOff();
    presence_->Reopen();
    EXPECT_EQ(presence_->LastSentState(), sent);
    ASSERT_TRUE(PumpUntil([&] { return Row("山田") != nullptr; })) << "deaf, or the status was not told";
    PumpFor(4000);
    other.SendTo(kPresencePort, std::string("2002/01/01 00:00:00\\\\LOGOFF\\ \\") + kMyName + '\0');
    ASSERT_TRUE(Settle(other));
    ASSERT_EQ(Row("山田"), nullptr);
    other.SendTo(kPresencePort, std::string("2002/01/01 00:00:00\\\\GETSTATE\\ \\鈴木") + '\0');
    EXPECT_TRUE(PumpUntil([&] { return Row("山田") != nullptr; })) << "a colleague's request was not answered";
}

// ---- Personal messages ------------------------------------------------------------

// Shows boxes the way a real modal box does: the message loop keeps running
// while a box is open. While the first box is open, whileFirstBoxOpen runs
// and the loop keeps going for a second.
class ModalDialogs : public ScriptedDialogs {
public:
    int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) override {
        ++depth_;
        maxDepth = std::max(maxDepth, depth_);
        ScriptedDialogs::ShowMessage(owner, text, caption, flags);
        if (Messages.size() == 1 && whileFirstBoxOpen) {
            whileFirstBoxOpen();
            PumpFor(1000);
        }
        --depth_;
        return IDOK;
    }
    std::function<void()> whileFirstBoxOpen;
    int maxDepth = 0;

private:
    int depth_ = 0;
};

class LanPresenceMessagesTest : public PresenceFixture<ModalDialogs> {
protected:
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& shown : dialogs_.Messages) texts.push_back(shown.Text);
        return texts;
    }

    RawSocket other_{kTestPort};
};

TEST_F(LanPresenceMessagesTest, MessageIsShownAsItCameUpToItsFirstZeroByte) {
    other_.SendTo(kMessagePort, "");
    other_.SendTo(kMessagePort, std::string("山田\n<<2002/01/21 09:12>>\nお先に") + '\0' + "hidden");
    ASSERT_TRUE(PumpUntil([&] { return !dialogs_.Messages.empty(); }));
    PumpFor(300);
    ASSERT_EQ(dialogs_.Messages.size(), 1u) << "an empty datagram opened a box";
    EXPECT_EQ(dialogs_.Messages[0].Text, "山田\n<<2002/01/21 09:12>>\nお先に");
    EXPECT_EQ(dialogs_.Messages[0].Caption, "Pavlune");
    EXPECT_EQ(dialogs_.Messages[0].Flags, static_cast<UINT>(MB_OK));
}

TEST_F(LanPresenceMessagesTest, BurstShowsOneBoxAtATimeInArrivalOrderAndDropsTheOverflow) {
    constexpr int kBurst = 100;
    dialogs_.whileFirstBoxOpen = [&] {
        for (int i = 1; i < kBurst; ++i) other_.SendTo(kMessagePort, Numbered("m", i));
    };
    other_.SendTo(kMessagePort, "m0");
    ASSERT_TRUE(PumpUntil([&] { return dialogs_.Messages.size() > LanPresence::kMaxWaitingMessages; }));
    PumpFor(500);

    std::vector<std::string> expected;
    for (std::size_t i = 0; i <= LanPresence::kMaxWaitingMessages; ++i) {
        expected.push_back(Numbered("m", static_cast<int>(i)));
    }
    EXPECT_EQ(Texts(), expected) << "the first box and the ones that waited, in arrival order";
    EXPECT_EQ(dialogs_.maxDepth, 1) << "boxes were nested";

    // Once the boxes are closed the next message is shown again.
    other_.SendTo(kMessagePort, "later");
    ASSERT_TRUE(PumpUntil([&] { return Texts().back() == "later"; }));
}

TEST_F(LanPresenceMessagesTest, MessagesWaitingAtExitAreNotShown) {
    dialogs_.whileFirstBoxOpen = [&] {
        for (int i = 1; i < 5; ++i) other_.SendTo(kMessagePort, Numbered("m", i));
        PumpFor(500);
        presence_->LogOff();
    };
    other_.SendTo(kMessagePort, "m0");
    ASSERT_TRUE(PumpUntil([&] { return !dialogs_.Messages.empty(); }));
    PumpFor(300);
    EXPECT_EQ(Texts(), std::vector<std::string>{"m0"});
}

// Windows ends the session while the user types a personal message in the list.
class SessionEndingDialogs : public ScriptedDialogs {
public:
    std::string InputBox(HWND owner, const std::string& caption, const std::string& prompt,
                         const std::string& defaultText, int maxLength) override {
        if (WhileAsking) WhileAsking();
        return ScriptedDialogs::InputBox(owner, caption, prompt, defaultText, maxLength);
    }
    std::function<void()> WhileAsking;
};

class SessionEndTest : public PresenceFixture<SessionEndingDialogs> {};

TEST_F(SessionEndTest, ListClosedUnderTheTypedMessageGoesOnlyOnceTheHandlerReturned) {
    RawSocket other(kTestPort);
    other.SendTo(kPresencePort, std::string("2002/01/01 00:00:00\\会議中\\鈴木\\総務部") + '\0');
    ASSERT_TRUE(PumpUntil([&] { return !presence_->Table().Rows().empty(); }));
    presence_->N8Click();
    TPavluneLVForm* list = presence_->StatusWindow();
    const HWND window = list->Handle();
    list->SelectRow(0);
    bool windowAliveMeanwhile = false;
    dialogs_.WhileAsking = [&] {
        presence_->LogOff();
        presence_->DestroyStatusWindow();
        windowAliveMeanwhile = IsWindow(window) != FALSE;
    };
    list->ListView1DblClick();
    EXPECT_TRUE(windowAliveMeanwhile) << "the list went while its handler ran";
    EXPECT_EQ(presence_->StatusWindow(), nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    presence_.reset();
    EXPECT_FALSE(IsWindow(window)) << "the list goes with the presence";
}

}  // namespace
}  // namespace pavlune
