// The main window's half of the LAN presence: its two endpoints (personal
// messages on 5964, presence datagrams on 5963), the broadcasts it sends,
// the status table of everything heard, and the status list window.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "lan/broadcast_list.h"
#include "lan/presence.h"
#include "lan/presence_repeats.h"
#include "lan/status_list_window.h"
#include "lan/udp_endpoint.h"
#include "win/dialogs.h"
#include "win/window_timer.h"

namespace pavlune {

class LanPresence {
public:
    // Binds both endpoints at once: the program listens from the very start.
    // myName is the main window's field, read at each use.
    LanPresence(HWND mainWindow, HINSTANCE instance, UserDialogs& dialogs, const std::string& myName);
    LanPresence(const LanPresence&) = delete;
    LanPresence& operator=(const LanPresence&) = delete;
    ~LanPresence();

    // Sends one presence datagram to everybody: the stamp, a backslash and
    // the payload (a replay sends the payload as it is), then a zero byte.
    // The same bytes go to every place of the BroadcastTo setting.
    void BroadcastState(const std::string& payload, bool replay);
    // A status the user set: broadcast, then sent twice more, the same
    // bytes, in case a PC missed it; a newer status ends those repeats.
    void SendStatus(const std::string& payload);
    // The places beyond the router that every presence datagram goes to as well.
    void SetBroadcastTargets(std::vector<Ipv4> targets) { targets_ = std::move(targets); }
    // Asks everybody for their state, three times over a round of about
    // 3 s; the rows of those that have not answered by its end go.
    void RequestStates();
    // The PC woke from sleep, or its addresses changed. Once things have
    // settled, its addresses are read again, everybody is asked for their
    // state and hears this PC's last status once more (the same bytes), for
    // the changes missed meanwhile. Changes within the settling delay make
    // one refresh.
    void NetworkChanged();
    // Stops listening and tells everybody this user has gone. Runs once.
    void LogOff();
    // Opens the status list (created on first use) filled from the table,
    // in front with the keyboard.
    void N8Click();
    void DestroyStatusWindow();
    // After a screen saver the program waited for, nothing is replayed or repeated.
    void ClearLastSentState();

    const std::string& LastSentState() const { return lastSentState_; }
    const StatusTable& Table() const { return table_; }
    TPavluneLVForm* StatusWindow() { return statusWindow_.get(); }

    // Personal messages shown one box at a time; the rest wait, up to this many.
    static constexpr std::size_t kMaxWaitingMessages = 32;

private:
    void Udp2DataReceived(TUdpEndpoint& sender, int numberBytes, const std::string& fromIp, int port);
    void ShowStatusList(bool activate);
    void RefillOpenList();
    void AnswerStateRequest();
    void RefreshAfterChange();
    void ReadOwnAddresses();
    void CheckOwnAddresses();
    void NoteRequester(const std::string& fromIp);
    bool BroadcastState(const std::string& payload, bool replay, const std::vector<Ipv4>& alsoTo);
    bool SendText(const std::string& text, const std::vector<Ipv4>& alsoTo);
    void SendDueRepeats();
    void Udp1DataReceived(TUdpEndpoint& sender, int numberBytes, const std::string& fromIp, int port);

    HWND mainWindow_;
    HINSTANCE instance_;
    UserDialogs& dialogs_;
    const std::string& myName_;
    std::string lastSentState_;
    std::vector<Ipv4> targets_;
    std::vector<Ipv4> ownAddresses_;  // sorted; read at each state request of this PC and when old
    DWORD addressesRead_ = 0;
    bool addressesKnown_ = false;
    WindowTimer settling_;            // a change waits for the network to settle
    std::string ownRequest_;          // a refresh's request, answered already by its repeat
    std::vector<Ipv4> requesters_;    // from beyond the router, waiting for the answer
    StatusTable table_;
    std::unique_ptr<TUdpEndpoint> udp1_;
    std::unique_ptr<TUdpEndpoint> udp2_;
    // Endpoints released while one of their own notifications was running;
    // they are destroyed with this object, never under their own feet.
    std::vector<std::unique_ptr<TUdpEndpoint>> released_;
    int receiving_ = 0;
    bool loggedOff_ = false;
    std::unique_ptr<TPavluneLVForm> statusWindow_;
    std::unique_ptr<TPavluneLVForm> parkedWindow_;  // destroyed while busy: goes with this object
    bool refillPending_ = false;
    DWORD lastRefill_ = 0;
    WindowTimer pendingRefill_;  // the refill still owed when the datagrams stop
    Jitter jitter_;
    Schedule statusRepeats_;
    std::string repeatedStatus_;
    Schedule refreshRound_;
    std::string request_;  // the state request of the round, sent again as it was
    AnswerRounds answers_;
    WindowTimer repeatsDue_;
    Ticks timerDue_ = 0;
    std::deque<std::string> waitingMessages_;
    bool showingMessage_ = false;
};

}  // namespace pavlune
