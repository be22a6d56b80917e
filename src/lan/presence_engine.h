// Everything this PC decides about presence on the LAN, in one place: the
// status table, what it sends and when (statuses and their repeats, the
// Refresh rounds, the answers to other PCs' requests, the round after the
// network changed, the log-off), and what it makes of each datagram heard.
// Pure: the time and the datagrams go in; the datagrams to send, to which
// addresses, and when it next wants to be woken come out. The Windows side
// carries bytes and ticks; a simulated LAN runs thousands of these.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lan/broadcast_list.h"
#include "lan/presence.h"
#include "lan/presence_repeats.h"
#include "lan/subnets.h"

namespace pavlune {

// 255.255.255.255: every PC of this PC's own segment.
inline constexpr Ipv4 kLocalBroadcast = 0xFFFFFFFF;

// What the engine needs from the PC it runs on.
class PresenceHost {
public:
    // Sends the text and one zero byte to every address, in order, on the
    // presence port; false when no socket could be had (nothing went out).
    virtual bool Send(const std::string& text, const std::vector<Ipv4>& to) = 0;
    // The local time, for stamps.
    virtual LocalTime LocalNow() = 0;
    // This PC's own addresses, sorted.
    virtual std::vector<Ipv4> OwnAddresses() = 0;
    // This PC's subnets, sorted; where their masks cannot be read, its
    // addresses with the guessed mask.
    virtual std::vector<Subnet> OwnSubnets() { return GuessedSubnets(OwnAddresses()); }
    // Waits before the next send, while the program ends.
    virtual void Pause(Ticks milliseconds) = 0;

protected:
    ~PresenceHost() = default;
};

class PresenceEngine {
public:
    // myName is read at each use: the user may set it after start-up.
    PresenceEngine(PresenceHost& host, const std::string& myName, std::uint32_t seed);

    // One datagram heard on the presence port from the dotted address from.
    // True when the table may have changed (an open list shows it again).
    bool Heard(Ticks now, std::string_view datagram, std::string_view from);
    // Runs whatever has fallen due.
    void Wake(Ticks now);
    // How long until something falls due; none when nothing waits.
    std::optional<Ticks> NextWake(Ticks now) const;
    // Whether a Refresh round's end dropped rows since the last asking.
    bool TakeDroppedRows();

    // Sends one presence datagram: the stamp, a backslash and the payload (a
    // replay sends the payload as it is). The same bytes go to the local
    // broadcast, with more than one adapter to each adapter's subnet, the
    // broadcast targets beyond this PC's subnets and alsoTo.
    bool BroadcastState(Ticks now, const std::string& payload, bool replay, const std::vector<Ipv4>& alsoTo = {});
    // A status the user set: broadcast, then sent twice more, the same
    // bytes, in case a PC missed it; a newer status ends those repeats.
    void SendStatus(Ticks now, const std::string& payload);
    // Asks everybody for their state, three times over a round of about
    // 3 s; the rows of those that have not answered by its end are greyed,
    // and go when they missed the round before too. A round in which this PC
    // did not hear its own request changes no row.
    void RequestStates(Ticks now);
    // The PC woke from sleep, or its addresses changed. Once things have
    // settled, its addresses are read again, everybody is asked for their
    // state and hears this PC's last status once more (the same bytes), for
    // the changes missed meanwhile. Changes within the settling delay make
    // one refresh. Such a round that did not hear its own request is tried
    // again, later each time.
    void NetworkChanged(Ticks now);
    // How often the status is sent again while it stands (from 1 minute on).
    void SetRepeatMinutes(unsigned minutes);
    // Tells everybody this user has gone, and then falls silent. Runs once.
    void LogOff(Ticks now);
    // Back on the LAN after a log-off that did not end the session.
    void Resume() { loggedOff_ = false; }
    // After a screen saver the program waited for, nothing is replayed or repeated.
    void ClearLastSentState(Ticks now);
    void SetBroadcastTargets(std::vector<Ipv4> targets) { targets_ = std::move(targets); }

    const std::string& LastSentState() const { return lastSentState_; }
    const StatusTable& Table() const { return table_; }
    bool LoggedOff() const { return loggedOff_; }

private:
    bool SendText(const std::string& text, const std::vector<Ipv4>& alsoTo);
    void StartRefreshRound(Ticks now);
    void RefreshAfterChange(Ticks now);
    void ReadOwnAddresses(Ticks now);
    void CheckOwnAddresses(Ticks now);
    void NoteRequester(std::string_view from);
    void AnswerStateRequest(Ticks now);
    void RunDue(Ticks now);
    void EndRefreshRound(Ticks now);
    void StatusWentOut(Ticks now);

    PresenceHost& host_;
    const std::string& myName_;
    std::string lastSentState_;
    std::vector<Ipv4> targets_;
    std::vector<Subnet> ownSubnets_;  // sorted; read at each state request of this PC and when old
    Ticks addressesRead_ = 0;
    bool addressesKnown_ = false;
    Schedule settling_;               // a change waits for the network to settle
    std::string ownRequest_;          // a refresh's request, answered already by its repeat
    std::vector<Ipv4> requesters_;    // from beyond the router, waiting for the answer
    StatusTable table_;
    bool loggedOff_ = false;
    bool droppedRows_ = false;
    Jitter jitter_;
    Schedule statusRepeats_;
    std::string repeatedStatus_;
    Schedule periodicRepeat_;  // while the status is what this PC answers with
    Ticks repeatPeriod_ = kDefaultRepeatMinutes * 60000;
    Schedule refreshRound_;
    std::string request_;  // the state request of the round, sent again as it was
    bool heardOwnRequest_ = false;
    bool resumeRound_ = false;
    Schedule retry_;       // of a round after a change that did not reach the network
    Ticks retryDelay_;
    AnswerRounds answers_;
};

}  // namespace pavlune
