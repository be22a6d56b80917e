// The main window's half of the LAN presence on Windows: its two endpoints
// (personal messages on 5964, presence datagrams on 5963), the sockets the
// presence datagrams go out on, the timer that wakes the presence engine,
// and the status list window. What is sent, when, and what a datagram
// changes, the engine decides.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "lan/broadcast_list.h"
#include "lan/presence_engine.h"
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

    // Sends one presence datagram to everybody (see PresenceEngine).
    void BroadcastState(const std::string& payload, bool replay);
    void SendStatus(const std::string& payload);
    void SetBroadcastTargets(std::vector<Ipv4> targets) { engine_.SetBroadcastTargets(std::move(targets)); }
    void SetRepeatMinutes(unsigned minutes) { engine_.SetRepeatMinutes(minutes); }
    void RequestStates();
    void NetworkChanged();
    // Stops listening and tells everybody this user has gone. Runs once.
    void LogOff();
    // After a log-off whose session's end was cancelled: listens again, asks
    // everybody for their state and tells the last status once more.
    void Reopen();
    bool LoggedOff() const { return engine_.LoggedOff(); }
    // Opens the status list (created on first use) filled from the table,
    // in front with the keyboard.
    void N8Click();
    void DestroyStatusWindow();
    // After a screen saver the program waited for, nothing is replayed or repeated.
    void ClearLastSentState();

    const std::string& LastSentState() const { return engine_.LastSentState(); }
    const StatusTable& Table() const { return engine_.Table(); }
    TPavluneLVForm* StatusWindow() { return statusWindow_.get(); }

    // Personal messages shown one box at a time; the rest wait, up to this many.
    static constexpr std::size_t kMaxWaitingMessages = 32;

private:
    // The engine's hands on this PC: Winsock, the clock, the PC's addresses.
    class WinsockHost : public PresenceHost {
    public:
        bool Send(const std::string& text, const std::vector<Ipv4>& to) override;
        LocalTime LocalNow() override;
        std::vector<Ipv4> OwnAddresses() override;
        std::vector<Subnet> OwnSubnets() override;
        void Pause(Ticks milliseconds) override;
    };

    void OpenEndpoints();
    void Udp2DataReceived(TUdpEndpoint& sender, int numberBytes, const std::string& fromIp, int port);
    void ShowStatusList(bool activate);
    void RefillOpenList();
    void Woken();
    void AfterEngine();
    template <typename Step>
    void Drive(Step step);
    void Udp1DataReceived(TUdpEndpoint& sender, int numberBytes, const std::string& fromIp, int port);

    HWND mainWindow_;
    HINSTANCE instance_;
    UserDialogs& dialogs_;
    const std::string& myName_;
    WinsockHost host_;
    PresenceEngine engine_;
    std::unique_ptr<TUdpEndpoint> udp1_;
    std::unique_ptr<TUdpEndpoint> udp2_;
    // Endpoints released while one of their own notifications was running;
    // they are destroyed with this object, never under their own feet.
    std::vector<std::unique_ptr<TUdpEndpoint>> released_;
    int receiving_ = 0;
    std::unique_ptr<TPavluneLVForm> statusWindow_;
    std::unique_ptr<TPavluneLVForm> parkedWindow_;  // destroyed while busy: goes with this object
    bool refillPending_ = false;
    DWORD lastRefill_ = 0;
    WindowTimer pendingRefill_;  // the refill still owed when the datagrams stop
    WindowTimer wake_;           // when the engine asked to be woken
    Ticks wakeDue_ = 0;
    std::deque<std::string> waitingMessages_;
    bool showingMessage_ = false;
    std::string stateBeforeLogOff_;
};

}  // namespace pavlune
