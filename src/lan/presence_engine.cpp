#include "lan/presence_engine.h"

#include <algorithm>
#include <utility>

namespace pavlune {

namespace {

// A network that comes back after sleep, or an adapter that changes, takes
// a moment to get its address; several notices of one change make one refresh.
constexpr Ticks kSettlingMilliseconds = 3000;
// This PC's addresses are read again when older than this at a send or an answer.
constexpr Ticks kAddressLifetime = 60000;
// A network still down after a change is tried again after this, twice as
// long each time up to the most.
constexpr Ticks kFirstRetry = 30000;
constexpr Ticks kMostRetry = 600000;
constexpr unsigned kMostRepeatMinutes = 24 * 60;

}  // namespace

PresenceEngine::PresenceEngine(PresenceHost& host, const std::string& myName, std::uint32_t seed)
    : host_(host), myName_(myName), jitter_(seed), retryDelay_(kFirstRetry) {}

void PresenceEngine::SetRepeatMinutes(unsigned minutes) {
    repeatPeriod_ = std::clamp(minutes, 1u, kMostRepeatMinutes) * 60000;
}

// Each time the status goes out, its next repeat waits a whole period: a
// colleague then never hears it sooner, answers included.
void PresenceEngine::StatusWentOut(Ticks now) { periodicRepeat_.Start(now, {StatusPeriodWait(jitter_, repeatPeriod_)}); }

bool PresenceEngine::BroadcastState(Ticks now, const std::string& payload, bool replay,
                                    const std::vector<Ipv4>& alsoTo) {
    CheckOwnAddresses(now);
    std::string text = replay ? payload : PresenceText(host_.LocalNow(), payload);
    if (!SendText(text, alsoTo)) return false;
    lastSentState_ = std::move(text);
    return true;
}

bool PresenceEngine::SendText(const std::string& text, const std::vector<Ipv4>& alsoTo) {
    std::vector<Ipv4> to = {kLocalBroadcast};
    const std::vector<Ipv4> directed = DirectedBroadcasts(ownSubnets_);
    to.insert(to.end(), directed.begin(), directed.end());
    // A place inside this PC's own subnets has just heard one of those.
    for (Ipv4 target : targets_) {
        if (!ReachedByLocalBroadcast(target, ownSubnets_)) to.push_back(target);
    }
    to.insert(to.end(), alsoTo.begin(), alsoTo.end());
    return host_.Send(text, to);
}

void PresenceEngine::SendStatus(Ticks now, const std::string& payload) {
    statusRepeats_.Stop();
    if (BroadcastState(now, payload, false)) {
        repeatedStatus_ = lastSentState_;
        statusRepeats_.Start(now, StatusRepeatOffsets(jitter_));
        StatusWentOut(now);
    }
    RunDue(now);
}

void PresenceEngine::ClearLastSentState(Ticks now) {
    lastSentState_.clear();
    statusRepeats_.Stop();
    periodicRepeat_.Stop();
    RunDue(now);
}

void PresenceEngine::RequestStates(Ticks now) {
    StartRefreshRound(now);
    RunDue(now);
    lastSentState_.clear();
}

void PresenceEngine::StartRefreshRound(Ticks now) {
    // Adapters come and go (a VPN connects): the PC's subnets are looked at
    // again whenever it asks.
    ReadOwnAddresses(now);
    ownRequest_.clear();
    heardOwnRequest_ = resumeRound_ = false;
    table_.AwaitAnswers();
    request_ = PresenceText(host_.LocalNow(), StateRequestPayload(myName_));
    refreshRound_.Start(now, RefreshRoundOffsets(jitter_));
}

void PresenceEngine::NetworkChanged(Ticks now) {
    if (!settling_.Running()) settling_.Start(now, {kSettlingMilliseconds});
}

// This PC hears its own requests too, and the repeat of its state has
// answered them: only the other PCs' requests get an answer of their own.
void PresenceEngine::RefreshAfterChange(Ticks now) {
    const std::string state = lastSentState_;
    retry_.Stop();
    RequestStates(now);
    resumeRound_ = true;
    ownRequest_ = state.empty() ? std::string() : request_;
    lastSentState_ = state;
    if (!state.empty() && BroadcastState(now, state, true) && state == repeatedStatus_) StatusWentOut(now);
}

void PresenceEngine::ReadOwnAddresses(Ticks now) {
    ownSubnets_ = host_.OwnSubnets();
    addressesRead_ = now;
    addressesKnown_ = true;
}

// A laptop carried home, or a PC whose network came up after the program
// started: its own subnets are no longer what was read.
void PresenceEngine::CheckOwnAddresses(Ticks now) {
    if (!addressesKnown_ || now - addressesRead_ < kAddressLifetime) return;
    const std::vector<Subnet> before = ownSubnets_;
    ReadOwnAddresses(now);
    if (ownSubnets_ != before) NetworkChanged(now);
}

void PresenceEngine::Wake(Ticks now) { RunDue(now); }

bool PresenceEngine::TakeDroppedRows() { return std::exchange(droppedRows_, false); }

// Whatever of the settling, the repeats, the Refresh round and the answers
// is due. Runs at its time and with every datagram heard: a PC busy with a
// steady stream of datagrams may not be woken at the time asked for.
void PresenceEngine::RunDue(Ticks now) {
    if (loggedOff_) return;
    if (settling_.TakeDue(now)) RefreshAfterChange(now);
    if (statusRepeats_.TakeDue(now) && SendText(repeatedStatus_, {})) StatusWentOut(now);
    // After its user's own Refresh or a saver, this PC answers with no
    // status: it then repeats none either.
    if (periodicRepeat_.TakeDue(now) && lastSentState_ == repeatedStatus_ && SendText(repeatedStatus_, {})) {
        StatusWentOut(now);
    }
    if (std::optional<std::size_t> step = refreshRound_.TakeDue(now)) {
        if (*step < kRefreshRoundEnd) SendText(request_, {});
        else EndRefreshRound(now);
    }
    if (retry_.TakeDue(now)) RefreshAfterChange(now);
    if (answers_.TakeDue(now)) AnswerStateRequest(now);
    if (table_.GreySilent(now)) droppedRows_ = true;
}

// A PC that did not hear its own request was off the network: that nobody
// answered says nothing of the others.
void PresenceEngine::EndRefreshRound(Ticks now) {
    if (!heardOwnRequest_) {
        if (!resumeRound_) return;
        retry_.Start(now, {retryDelay_});
        retryDelay_ = std::min(retryDelay_ * 2, kMostRetry);
        return;
    }
    retryDelay_ = kFirstRetry;
    if (table_.EndRound()) droppedRows_ = true;
}

std::optional<Ticks> PresenceEngine::NextWake(Ticks now) const {
    if (loggedOff_) return std::nullopt;
    std::optional<Ticks> wait;
    for (std::optional<Ticks> next :
         {settling_.Wait(now), statusRepeats_.Wait(now), periodicRepeat_.Wait(now), refreshRound_.Wait(now),
          retry_.Wait(now), answers_.Wait(now), table_.NextSilent(now)}) {
        if (next && (!wait || *next < *wait)) wait = next;
    }
    return wait;
}

void PresenceEngine::LogOff(Ticks now) {
    if (loggedOff_) return;
    loggedOff_ = true;
    // Windows gives an ending program little time: the repeats come quickly.
    if (BroadcastState(now, LogOffPayload(myName_), false)) {
        for (Ticks gap : kLogOffRepeatGaps) {
            host_.Pause(gap);
            SendText(lastSentState_, {});
        }
    }
}

// A requester beyond the router hears no local broadcast: the answer goes
// to it directly as well, once for all the requests it sent meanwhile.
void PresenceEngine::NoteRequester(std::string_view from) {
    std::optional<Ipv4> requester = ParseDottedIpv4(from);
    if (!requester || !NeedsDirectAnswer(*requester, ownSubnets_, targets_)) return;
    if (requesters_.size() >= kMaxDirectAnswers) return;
    if (std::find(requesters_.begin(), requesters_.end(), *requester) == requesters_.end()) {
        requesters_.push_back(*requester);
    }
}

void PresenceEngine::AnswerStateRequest(Ticks now) {
    const std::vector<Ipv4> requesters = std::move(requesters_);
    requesters_.clear();
    if (lastSentState_.empty()) BroadcastState(now, kBareLogOffPayload, false, requesters);
    else if (BroadcastState(now, lastSentState_, true, requesters) && lastSentState_ == repeatedStatus_) StatusWentOut(now);
}

bool PresenceEngine::Heard(Ticks now, std::string_view datagram, std::string_view from) {
    bool changed = false;
    switch (table_.Receive(datagram, from, now)) {
        case PresenceAction::None:
            break;
        case PresenceAction::AnswerStateRequest:
            if (DatagramText(datagram) == request_) heardOwnRequest_ = true;
            if (!ownRequest_.empty() && DatagramText(datagram) == ownRequest_) break;
            CheckOwnAddresses(now);
            NoteRequester(from);
            answers_.Heard(now, jitter_, table_.Size(), DatagramText(datagram));
            break;
        case PresenceAction::Refill:
            changed = true;
            break;
    }
    RunDue(now);
    return changed;
}

}  // namespace pavlune
