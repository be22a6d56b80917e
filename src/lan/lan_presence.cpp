#include "lan/lan_presence.h"

#include <algorithm>
#include <cstring>

#include "common/error.h"
#include "lan/local_now.h"
#include "win/handles.h"

namespace pavlune {

namespace {

// Unused for sending, but the personal-message endpoint carries the site's
// directed broadcast as its default remote host.
constexpr const char* kSiteBroadcastAddress = "192.168.0.255";
// A busy LAN answers a state request all at once; the system's default
// receive queue (8 to 64 KB) would drop most of a few hundred answers.
constexpr int kPresenceQueueBytes = 1024 * 1024;
// During a burst the open list is refilled at most this often; once the
// socket has nothing more waiting it is refilled at once, and a refill still
// owed (the burst's last datagram could not be read) comes within this time.
constexpr DWORD kRefillInterval = 100;
// A network that comes back after sleep, or an adapter that changes, takes
// a moment to get its address; several notices of one change make one refresh.
constexpr UINT kSettlingMilliseconds = 3000;
// This PC's addresses are read again when older than this at a send or an answer.
constexpr DWORD kAddressLifetime = 60000;

// Holds a counter up while a notification of ours runs.
class Receiving {
public:
    explicit Receiving(int& depth) : depth_(depth) { ++depth_; }
    ~Receiving() { --depth_; }
    Receiving(const Receiving&) = delete;
    Receiving& operator=(const Receiving&) = delete;

private:
    int& depth_;
};

// This PC's addresses, one per network adapter. Winsock 1.1 has no list of
// interfaces; the addresses of the PC's own name are the one way to them
// on every Windows.
std::vector<Ipv4> ThisPcsAddresses() {
    std::vector<Ipv4> addresses;
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return addresses;
    char name[256] = {};
    const hostent* entry = gethostname(name, sizeof name - 1) == 0 ? gethostbyname(name) : nullptr;
    if (entry && entry->h_addrtype == AF_INET && entry->h_length == 4) {
        for (char** address = entry->h_addr_list; *address; ++address) {
            in_addr raw;
            std::memcpy(&raw, *address, 4);
            addresses.push_back(ntohl(raw.s_addr));
        }
    }
    WSACleanup();
    std::sort(addresses.begin(), addresses.end());
    return addresses;
}

// The text of the datagram the endpoint has just read, up to its first zero.
std::string ReadText(TUdpEndpoint& sender, int numberBytes) {
    std::string buffer(static_cast<std::size_t>(numberBytes) + 1, '\0');
    int length = 0;
    sender.ReadBuffer(buffer.data(), length);
    return std::string(DatagramText(std::string_view(buffer.data(), static_cast<std::size_t>(numberBytes))));
}

}  // namespace

LanPresence::LanPresence(HWND mainWindow, HINSTANCE instance, UserDialogs& dialogs, const std::string& myName)
    : mainWindow_(mainWindow),
      instance_(instance),
      dialogs_(dialogs),
      myName_(myName),
      settling_(dialogs, [this] { RefreshAfterChange(); }),
      pendingRefill_(dialogs, [this] { RefillOpenList(); }),
      jitter_(GetTickCount() ^ (GetCurrentProcessId() << 16)),
      repeatsDue_(dialogs, [this] { SendDueRepeats(); }) {
    udp1_ = std::make_unique<TUdpEndpoint>(dialogs);
    udp1_->RemoteHost = kSiteBroadcastAddress;
    udp1_->RemotePort = kPresencePort;
    udp1_->OnDataReceived = [this](TUdpEndpoint& sender, int count, const std::string& from, int port) {
        Udp1DataReceived(sender, count, from, port);
    };
    udp1_->SetLocalPort(kMessagePort);

    udp2_ = std::make_unique<TUdpEndpoint>(dialogs);
    udp2_->RemotePort = kMessagePort;
    udp2_->OnDataReceived = [this](TUdpEndpoint& sender, int count, const std::string& from, int port) {
        Udp2DataReceived(sender, count, from, port);
    };
    udp2_->SetReceiveQueueSize(kPresenceQueueBytes);
    udp2_->SetLocalPort(kPresencePort);
}

LanPresence::~LanPresence() = default;

void LanPresence::BroadcastState(const std::string& payload, bool replay) { BroadcastState(payload, replay, {}); }

bool LanPresence::BroadcastState(const std::string& payload, bool replay, const std::vector<Ipv4>& alsoTo) {
    CheckOwnAddresses();
    std::string text = replay ? payload : PresenceText(LocalNow(), payload);
    if (!SendText(text, alsoTo)) return false;
    lastSentState_ = std::move(text);
    return true;
}

// The zero byte that ends the text goes with it, to every place alike.
bool LanPresence::SendText(const std::string& text, const std::vector<Ipv4>& alsoTo) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
    bool sent = false;
    {
        UniqueSocket sock(socket(AF_INET, SOCK_DGRAM, 0));
        BOOL on = TRUE;
        if (sock && setsockopt(sock.get(), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on) == 0) {
            auto sendTo = [&](Ipv4 address) {
                sockaddr_in to{};
                to.sin_family = AF_INET;
                to.sin_port = htons(kPresencePort);
                to.sin_addr.s_addr = htonl(address);
                sendto(sock.get(), text.c_str(), static_cast<int>(text.size() + 1), 0,
                       reinterpret_cast<const sockaddr*>(&to), sizeof to);
            };
            sendTo(INADDR_BROADCAST);
            // A place inside this PC's own subnets has just heard the local broadcast.
            for (Ipv4 target : targets_) {
                if (!ReachedByLocalBroadcast(target, ownAddresses_)) sendTo(target);
            }
            for (Ipv4 requester : alsoTo) sendTo(requester);
            sent = true;
        }
    }
    WSACleanup();
    return sent;
}

void LanPresence::SendStatus(const std::string& payload) {
    statusRepeats_.Stop();
    if (BroadcastState(payload, false, {})) {
        repeatedStatus_ = lastSentState_;
        statusRepeats_.Start(GetTickCount(), StatusRepeatOffsets(jitter_));
    }
    SendDueRepeats();
}

void LanPresence::ClearLastSentState() {
    lastSentState_.clear();
    statusRepeats_.Stop();
    SendDueRepeats();
}

void LanPresence::RequestStates() {
    // Adapters come and go (a VPN connects): the PC's subnets are looked at
    // again whenever it asks.
    ReadOwnAddresses();
    ownRequest_.clear();
    table_.AwaitAnswers();
    request_ = PresenceText(LocalNow(), StateRequestPayload(myName_));
    refreshRound_.Start(GetTickCount(), RefreshRoundOffsets(jitter_));
    SendDueRepeats();
    lastSentState_.clear();
}

void LanPresence::NetworkChanged() {
    if (!settling_.Running()) settling_.Start(kSettlingMilliseconds);
}

// This PC hears its own requests too, and the repeat of its state has
// answered them: only the other PCs' requests get an answer of their own.
void LanPresence::RefreshAfterChange() {
    if (loggedOff_) return;
    const std::string state = lastSentState_;
    RequestStates();
    ownRequest_ = state.empty() ? std::string() : request_;
    lastSentState_ = state;
    if (!state.empty()) BroadcastState(state, true);
}

void LanPresence::ReadOwnAddresses() {
    ownAddresses_ = ThisPcsAddresses();
    addressesRead_ = GetTickCount();
    addressesKnown_ = true;
}

// A laptop carried home, or a PC whose network came up after the program
// started: its own subnets are no longer what was read.
void LanPresence::CheckOwnAddresses() {
    if (!addressesKnown_ || GetTickCount() - addressesRead_ < kAddressLifetime) return;
    const std::vector<Ipv4> before = ownAddresses_;
    ReadOwnAddresses();
    if (ownAddresses_ != before) NetworkChanged();
}

// Whatever of the repeats, the Refresh round and the answers is due. Runs on
// its timer and with every presence datagram: Windows makes timer messages
// only while no posted message waits, so a steady stream of datagrams would
// hold the timer off.
void LanPresence::SendDueRepeats() {
    if (loggedOff_) return;
    const Ticks now = GetTickCount();
    if (statusRepeats_.TakeDue(now)) SendText(repeatedStatus_, {});
    if (std::optional<std::size_t> step = refreshRound_.TakeDue(now)) {
        if (*step < kRefreshRoundEnd) SendText(request_, {});
        else if (table_.DropUnanswered()) RefillOpenList();
    }
    if (answers_.TakeDue(now)) AnswerStateRequest();
    std::optional<Ticks> wait;
    for (std::optional<Ticks> next : {statusRepeats_.Wait(now), refreshRound_.Wait(now), answers_.Wait(now)}) {
        if (next && (!wait || *next < *wait)) wait = next;
    }
    // Setting the timer again for every datagram of a burst would cost more than the burst.
    if (!wait) {
        repeatsDue_.Stop();
    } else if (!repeatsDue_.Running() || now + *wait != timerDue_) {
        timerDue_ = now + *wait;
        repeatsDue_.Start(*wait);
    }
}

void LanPresence::LogOff() {
    if (loggedOff_) return;
    loggedOff_ = true;
    repeatsDue_.Stop();
    // Messages still waiting for their box are not shown once the program
    // is on its way out.
    waitingMessages_.clear();
    // Off the presence port first, so this instance does not hear itself leave.
    if (udp2_) udp2_->SetLocalPort(0);
    // Windows gives an ending program little time: the repeats come quickly.
    if (BroadcastState(LogOffPayload(myName_), false, {})) {
        for (Ticks gap : kLogOffRepeatGaps) {
            Sleep(gap);
            SendText(lastSentState_, {});
        }
    }
    for (auto* endpoint : {&udp1_, &udp2_}) {
        if (!*endpoint) continue;
        (*endpoint)->OnDataReceived = nullptr;
        if (receiving_ > 0) released_.push_back(std::move(*endpoint));
        else endpoint->reset();
    }
}

void LanPresence::N8Click() { ShowStatusList(true); }

void LanPresence::ShowStatusList(bool activate) {
    if (!statusWindow_) {
        statusWindow_ = std::make_unique<TPavluneLVForm>(mainWindow_, instance_, dialogs_,
                                                         [this] { return myName_; });
    }
    statusWindow_->Fill(table_.Rows());
    statusWindow_->ShowOnTop(activate);
    lastRefill_ = GetTickCount();
    refillPending_ = false;
    pendingRefill_.Stop();
}

void LanPresence::DestroyStatusWindow() {
    // The session may end while the list waits for a personal message to be
    // typed: the list then goes once that handler has returned.
    if (statusWindow_ && statusWindow_->Busy()) {
        statusWindow_->Hide();
        parkedWindow_ = std::move(statusWindow_);
        return;
    }
    statusWindow_.reset();
}

// A requester beyond the router hears no local broadcast: the answer goes
// to it directly as well, once for all the requests it sent meanwhile.
void LanPresence::NoteRequester(const std::string& fromIp) {
    std::optional<Ipv4> requester = ParseDottedIpv4(fromIp);
    if (!requester || !NeedsDirectAnswer(*requester, ownAddresses_, targets_)) return;
    if (requesters_.size() >= kMaxDirectAnswers) return;
    if (std::find(requesters_.begin(), requesters_.end(), *requester) == requesters_.end()) {
        requesters_.push_back(*requester);
    }
}

void LanPresence::AnswerStateRequest() {
    if (loggedOff_) return;
    const std::vector<Ipv4> requesters = std::move(requesters_);
    requesters_.clear();
    if (!lastSentState_.empty()) BroadcastState(lastSentState_, true, requesters);
    else BroadcastState(kBareLogOffPayload, false, requesters);
}

void LanPresence::Udp2DataReceived(TUdpEndpoint& sender, int numberBytes, const std::string& fromIp, int) {
    if (numberBytes <= 0) return;
    Receiving receiving(receiving_);
    std::string buffer(static_cast<std::size_t>(numberBytes), '\0');
    int length = 0;
    sender.ReadBuffer(buffer.data(), length);
    switch (table_.Receive(buffer, fromIp)) {
        case PresenceAction::None:
            break;
        case PresenceAction::AnswerStateRequest:
            if (!ownRequest_.empty() && DatagramText(buffer) == ownRequest_) break;
            CheckOwnAddresses();
            NoteRequester(fromIp);
            answers_.Heard(GetTickCount(), jitter_);
            break;
        case PresenceAction::Refill:
            refillPending_ = true;
            break;
    }
    SendDueRepeats();
    // The list shows the table once the burst is over, and now and then during it.
    if (!refillPending_) return;
    const DWORD sinceLast = GetTickCount() - lastRefill_;
    if (!sender.DatagramWaiting() || sinceLast >= kRefillInterval) RefillOpenList();
    else if (!pendingRefill_.Running()) pendingRefill_.Start(kRefillInterval - sinceLast);
}

// A colleague's news raises the list without taking the keyboard from the user.
void LanPresence::RefillOpenList() {
    if (statusWindow_ && statusWindow_->IsVisible()) ShowStatusList(false);
    refillPending_ = false;
    pendingRefill_.Stop();
}

void LanPresence::Udp1DataReceived(TUdpEndpoint& sender, int numberBytes, const std::string&, int) {
    if (numberBytes <= 0) return;
    Receiving receiving(receiving_);
    // A message box keeps the event loop running, so a burst of messages
    // would nest boxes without end. One box at a time, the rest queued in
    // arrival order; beyond the queue's bound, messages are dropped.
    std::string text = ReadText(sender, numberBytes);
    if (loggedOff_ || waitingMessages_.size() >= kMaxWaitingMessages) return;
    waitingMessages_.push_back(std::move(text));
    if (showingMessage_) return;
    showingMessage_ = true;
    while (!waitingMessages_.empty()) {
        std::string next = std::move(waitingMessages_.front());
        waitingMessages_.pop_front();
        dialogs_.ShowMessage(mainWindow_, next, kApplicationTitle, MB_OK);
    }
    showingMessage_ = false;
}

}  // namespace pavlune
