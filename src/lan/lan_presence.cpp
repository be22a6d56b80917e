#include "lan/lan_presence.h"

#include <algorithm>
#include <cstring>

#include "common/error.h"
#include "lan/adapter_table.h"
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

// The text of the datagram the endpoint has just read, up to its first zero.
std::string ReadText(TUdpEndpoint& sender, int numberBytes) {
    std::string buffer(static_cast<std::size_t>(numberBytes) + 1, '\0');
    int length = 0;
    sender.ReadBuffer(buffer.data(), length);
    return std::string(DatagramText(std::string_view(buffer.data(), static_cast<std::size_t>(numberBytes))));
}

}  // namespace

// This PC's addresses, one per network adapter. Winsock 1.1 has no list of
// interfaces; the addresses of the PC's own name are the one way to them
// on every Windows.
std::vector<Ipv4> LanPresence::WinsockHost::OwnAddresses() {
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

std::vector<Subnet> LanPresence::WinsockHost::OwnSubnets() {
    if (std::optional<std::vector<Subnet>> adapters = ReadAdapterSubnets()) return *adapters;
    return GuessedSubnets(OwnAddresses());
}

LocalTime LanPresence::WinsockHost::LocalNow() { return pavlune::LocalNow(); }

void LanPresence::WinsockHost::Pause(Ticks milliseconds) { Sleep(milliseconds); }

// The zero byte that ends the text goes with it, to every place alike.
bool LanPresence::WinsockHost::Send(const std::string& text, const std::vector<Ipv4>& to) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
    bool sent = false;
    {
        UniqueSocket sock(socket(AF_INET, SOCK_DGRAM, 0));
        BOOL on = TRUE;
        if (sock && setsockopt(sock.get(), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on) == 0) {
            for (Ipv4 address : to) {
                sockaddr_in place{};
                place.sin_family = AF_INET;
                place.sin_port = htons(kPresencePort);
                place.sin_addr.s_addr = htonl(address);
                sendto(sock.get(), text.c_str(), static_cast<int>(text.size() + 1), 0,
                       reinterpret_cast<const sockaddr*>(&place), sizeof place);
            }
            sent = true;
        }
    }
    WSACleanup();
    return sent;
}

LanPresence::LanPresence(HWND mainWindow, HINSTANCE instance, UserDialogs& dialogs, const std::string& myName)
    : mainWindow_(mainWindow),
      instance_(instance),
      dialogs_(dialogs),
      myName_(myName),
      engine_(host_, myName, GetTickCount() ^ (GetCurrentProcessId() << 16)),
      pendingRefill_(dialogs, [this] { RefillOpenList(); }),
      wake_(dialogs, [this] { Woken(); }) {
    OpenEndpoints();
}

void LanPresence::OpenEndpoints() {
    udp1_ = std::make_unique<TUdpEndpoint>(dialogs_);
    udp1_->RemoteHost = kSiteBroadcastAddress;
    udp1_->RemotePort = kPresencePort;
    udp1_->OnDataReceived = [this](TUdpEndpoint& sender, int count, const std::string& from, int port) {
        Udp1DataReceived(sender, count, from, port);
    };
    udp1_->SetLocalPort(kMessagePort);

    udp2_ = std::make_unique<TUdpEndpoint>(dialogs_);
    udp2_->RemotePort = kMessagePort;
    udp2_->OnDataReceived = [this](TUdpEndpoint& sender, int count, const std::string& from, int port) {
        Udp2DataReceived(sender, count, from, port);
    };
    udp2_->SetReceiveQueueSize(kPresenceQueueBytes);
    udp2_->SetLocalPort(kPresencePort);
}

LanPresence::~LanPresence() = default;

// One step of the engine at the present time; then what it leaves to this side.
template <typename Step>
void LanPresence::Drive(Step step) {
    step(GetTickCount());
    AfterEngine();
}

void LanPresence::BroadcastState(const std::string& payload, bool replay) {
    Drive([&](Ticks now) { engine_.BroadcastState(now, payload, replay); });
}

void LanPresence::SendStatus(const std::string& payload) {
    Drive([&](Ticks now) { engine_.SendStatus(now, payload); });
}

void LanPresence::ClearLastSentState() {
    Drive([&](Ticks now) { engine_.ClearLastSentState(now); });
}

void LanPresence::RequestStates() {
    Drive([&](Ticks now) { engine_.RequestStates(now); });
}

void LanPresence::NetworkChanged() {
    Drive([&](Ticks now) { engine_.NetworkChanged(now); });
}

void LanPresence::Woken() {
    Drive([&](Ticks now) { engine_.Wake(now); });
}

// The rows a Refresh round dropped are shown at once, and the timer is set
// for the engine's next step. Windows makes timer messages only while no
// posted message waits, so the engine also runs with every datagram.
void LanPresence::AfterEngine() {
    if (engine_.TakeDroppedRows()) RefillOpenList();
    const Ticks now = GetTickCount();
    const std::optional<Ticks> wait = engine_.NextWake(now);
    // Setting the timer again for every datagram of a burst would cost more than the burst.
    if (!wait) {
        wake_.Stop();
    } else if (!wake_.Running() || now + *wait != wakeDue_) {
        wakeDue_ = now + *wait;
        wake_.Start(*wait);
    }
}

void LanPresence::LogOff() {
    if (engine_.LoggedOff()) return;
    wake_.Stop();
    // Messages still waiting for their box are not shown once the program
    // is on its way out.
    waitingMessages_.clear();
    // Off the presence port first, so this instance does not hear itself leave.
    if (udp2_) udp2_->SetLocalPort(0);
    stateBeforeLogOff_ = engine_.LastSentState();
    engine_.LogOff(GetTickCount());
    for (auto* endpoint : {&udp1_, &udp2_}) {
        if (!*endpoint) continue;
        (*endpoint)->OnDataReceived = nullptr;
        if (receiving_ == 0) {
            endpoint->reset();
            continue;
        }
        // Kept until its notification returns, but off its port, which a
        // cancelled end of the session opens again.
        (*endpoint)->SetLocalPort(0);
        released_.push_back(std::move(*endpoint));
    }
}

// The colleagues heard this PC leave and dropped its row; whatever changed
// meanwhile was missed. The same bytes as before the log-off, so the stamp
// still says when the status was set.
void LanPresence::Reopen() {
    if (!engine_.LoggedOff()) return;
    engine_.Resume();
    OpenEndpoints();
    Drive([&](Ticks now) {
        engine_.RequestStates(now);
        if (!stateBeforeLogOff_.empty()) engine_.BroadcastState(now, stateBeforeLogOff_, true);
    });
}

void LanPresence::N8Click() { ShowStatusList(true); }

void LanPresence::ShowStatusList(bool activate) {
    if (!statusWindow_) {
        statusWindow_ = std::make_unique<TPavluneLVForm>(mainWindow_, instance_, dialogs_,
                                                         [this] { return myName_; });
    }
    statusWindow_->Fill(engine_.Table().Rows());
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

void LanPresence::Udp2DataReceived(TUdpEndpoint& sender, int numberBytes, const std::string& fromIp, int) {
    if (numberBytes <= 0) return;
    Receiving receiving(receiving_);
    std::string buffer(static_cast<std::size_t>(numberBytes), '\0');
    int length = 0;
    sender.ReadBuffer(buffer.data(), length);
    if (engine_.Heard(GetTickCount(), buffer, fromIp)) refillPending_ = true;
    AfterEngine();
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
    if (engine_.LoggedOff() || waitingMessages_.size() >= kMaxWaitingMessages) return;
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
