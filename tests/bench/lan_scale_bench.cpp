// The presence engine on a simulated LAN of 10 to 10,000 PCs (figures only,
// never judged). Every PC runs the program's own engine; one broadcast
// domain carries each datagram to every running PC, lost for each receiver
// on its own with the given chance and delayed by 1 to 5 ms.
//
// The day: a morning (every PC starts within ten minutes and its user picks
// a status soon after), a working hour (each user changes the status three
// times), then a tenth of the PCs vanish without a word and Refreshes are
// pressed at random PCs, 10 s apart, once more at once when the first round
// missed somebody.
//
// Beyond 20 PCs, 20 of them (never a vanishing one) are observed: they
// hear everything, and every figure of what PCs receive and show is theirs.
// The others hear every request and every datagram that could change the
// number of their rows (a log-off notice, a PC's first record while they
// hold fewer rows than widen the answer spread), but neither the records
// that only replace a row they have nor the bare log-off replies: what they
// send depends on nothing else they heard, and stays the same. So a LAN of
// 1,000 PCs runs in seconds instead of minutes, and one of 10,000 fits in
// a few GB.
//
// Usage: lan_scale_bench [--pcs=10,100,1000] [--loss=0,5,20] [--refreshes=20]
//                        [--observed=20]
// (PAVLUNE_LAN_PCS sets the sizes too, e.g. PAVLUNE_LAN_PCS=10000).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "lan/presence_engine.h"

namespace {

// ---- Heap bytes held for each PC's engine ------------------------------------

// Each block carries its size and the PC whose engine asked for it, so that
// the bytes a PC's table holds can be told whoever frees them.
constexpr std::size_t kHeader = 16;
int currentOwner = -1;
std::vector<long long>* heldBytes = nullptr;

void* Allocate(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!block) throw std::bad_alloc();
    const std::int64_t header[2] = {static_cast<std::int64_t>(size), currentOwner};
    std::memcpy(block, header, sizeof header);
    if (currentOwner >= 0 && heldBytes) (*heldBytes)[currentOwner] += static_cast<long long>(size);
    return block + kHeader;
}

void Free(void* pointer) {
    if (!pointer) return;
    auto* block = static_cast<unsigned char*>(pointer) - kHeader;
    std::int64_t header[2];
    std::memcpy(header, block, sizeof header);
    if (header[1] >= 0 && heldBytes) (*heldBytes)[header[1]] -= header[0];
    std::free(block);
}

// The engine of one PC runs: what it allocates is its own.
class Owner {
public:
    explicit Owner(int pc) : before_(currentOwner) { currentOwner = pc; }
    ~Owner() { currentOwner = before_; }

private:
    int before_;
};

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* pointer) noexcept { Free(pointer); }
void operator delete[](void* pointer) noexcept { Free(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { Free(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { Free(pointer); }

namespace {

using namespace pavlune;

constexpr Ticks kSecond = 1000;
constexpr Ticks kMorning = 600 * kSecond;
constexpr Ticks kHourStart = kMorning + 120 * kSecond;
constexpr Ticks kHourEnd = kHourStart + 3600 * kSecond;
constexpr Ticks kRefreshGap = 10 * kSecond;
constexpr Ticks kCheckDelay = 5 * kSecond;
constexpr Ticks kRoundLength = 3000;  // a Refresh round, its request to its end
constexpr int kChangesPerHour = 3;
constexpr std::size_t kSlots = 8192;  // milliseconds ahead the wheel holds
constexpr std::uint32_t kWake = 0xFFFFFFFF;
// A PC's answers spread over 0.5 ms per row of its table, 500 ms at most:
// rows beyond these change nothing it sends.
constexpr std::size_t kRowsThatSpreadAnswers = 1000;

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    Ticks Below(Ticks bound) { return static_cast<Ticks>(Next() % bound); }

private:
    std::uint64_t state_;
};

class Lan;

struct Pc final : PresenceHost {
    Lan* lan = nullptr;
    int index = 0;
    std::string myName, name, dotted;
    Ipv4 address = 0;
    std::unique_ptr<PresenceEngine> engine;
    bool on = false, vanished = false, observed = false;
    std::vector<bool> hasRow;  // of each PC, while not observed
    bool hungry = false;       // not observed, and its rows still widen its answer spread
    long long wakeAt = -1;
    std::string whereabouts;  // what the user set last
    std::deque<Ticks> lastArrivals;

    bool Send(const std::string& text, const std::vector<Ipv4>& to) override;
    LocalTime LocalNow() override;
    std::vector<Ipv4> OwnAddresses() override { return {address}; }
    void Pause(Ticks) override {}
};

struct Datagram {
    std::string text;  // with its zero byte
    Ticks sent;
    int sender;
    bool record;  // a status record
};

struct Event {
    std::uint32_t pc;
    std::uint32_t datagram;  // kWake: the engine asked to be woken
};

struct Figures {
    double steady = 0, peak = 0;
    std::size_t mostIn100ms = 0;
    long long pairsChecked = 0, pairsCurrent = 0;
    int refreshes = 0, completeFirst = 0, completeSecond = 0;
    long long vanishedPairs = 0, vanishedShown = 0;
    double tableKb = 0;
    long long receptions = 0;
};

class Lan {
public:
    Lan(int pcs, double loss, int refreshes, int observed, std::uint64_t seed)
        : loss_(static_cast<std::uint64_t>(loss * 4294967296.0)), refreshes_(refreshes), observed_(observed),
          random_(seed),
          held_(static_cast<std::size_t>(pcs), 0), pcs_(static_cast<std::size_t>(pcs)), wheel_(kSlots) {
        heldBytes = &held_;
        for (int i = 0; i < pcs; ++i) {
            Pc& pc = pcs_[static_cast<std::size_t>(i)];
            pc.lan = this;
            pc.index = i;
            char name[48];
            std::snprintf(name, sizeof name, "PC%05d\\開発部\\%d課", i, i % 7);
            pc.myName = name;
            pc.name = pc.myName.substr(0, pc.myName.find('\\'));
            pc.address = 0x0A000000u + static_cast<Ipv4>(i + 1);
            pc.dotted = "10." + std::to_string((i + 1) >> 16) + "." + std::to_string(((i + 1) >> 8) & 255) + "." +
                        std::to_string((i + 1) & 255);
        }
    }
    ~Lan() { heldBytes = nullptr; }

    Figures Run();
    void Broadcast(const Pc& from, const std::string& text);
    Ticks Now() const { return now_; }

private:
    struct Plan {
        Ticks at;
        enum Kind { Start, Status, Check, Vanish, Refresh, RefreshCheck } kind;
        int pc;
        std::string text;
        int round = 0;
    };
    void Rearm(Pc& pc);
    void Later(Plan plan);
    void Deliver(Pc& pc, std::uint32_t datagram);
    void Send(Pc& pc, std::uint32_t datagram, std::uint64_t draw);
    void FeelHunger(Pc& pc);
    const Datagram& At(std::uint32_t datagram) const { return datagrams_[datagram - firstDatagram_]; }
    void Carry(const Plan& plan);
    bool Complete(const Pc& asker) const;

    std::uint64_t loss_;
    int refreshes_;
    int observed_;
    Random random_;
    std::vector<long long> held_;
    std::vector<Pc> pcs_;
    std::vector<int> running_;
    std::vector<int> watchers_;  // running and observed
    std::vector<int> hungry_;    // running, and their rows still widen their answer spread
    std::vector<std::vector<Event>> wheel_;
    // Those still on their way; the earlier ones have been freed.
    std::deque<Datagram> datagrams_;
    std::uint32_t firstDatagram_ = 0;
    std::vector<Plan> plans_;
    std::vector<std::uint32_t> perSecond_;
    Ticks now_ = 0;
    int changes_ = 0;
    Figures figures_;
};

bool Pc::Send(const std::string& text, const std::vector<Ipv4>& to) {
    for (Ipv4 address : to) {
        if (address == kLocalBroadcast) lan->Broadcast(*this, text);
    }
    return true;
}

LocalTime Pc::LocalNow() {
    const Ticks seconds = 8 * 3600 + 50 * 60 + lan->Now() / kSecond;
    return {2002, 1, 21, static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
            static_cast<int>(seconds % 60)};
}

void Lan::Broadcast(const Pc& from, const std::string& text) {
    const Owner nobody(-1);
    const auto datagram = static_cast<std::uint32_t>(firstDatagram_ + datagrams_.size());
    // After the 19-byte stamp and its separator, a command begins with one more.
    const bool record = text.size() > 20 && text[20] != '\\';
    const bool bareLogOff = text.size() == 27 && text.ends_with("\\\\LOGOFF");
    datagrams_.push_back({text + '\0', now_, from.index, record});
    ++perSecond_[now_ / kSecond];
    if (!record && !bareLogOff) {
        for (int receiver : running_) Send(pcs_[static_cast<std::size_t>(receiver)], datagram, random_.Next());
        return;
    }
    for (int receiver : watchers_) Send(pcs_[static_cast<std::size_t>(receiver)], datagram, random_.Next());
    if (bareLogOff) return;
    for (int receiver : hungry_) {
        Pc& pc = pcs_[static_cast<std::size_t>(receiver)];
        if (!pc.hasRow[static_cast<std::size_t>(from.index)]) Send(pc, datagram, random_.Next());
    }
}

// The datagram is lost for this receiver, or arrives 1 to 5 ms later.
void Lan::Send(Pc& pc, std::uint32_t datagram, std::uint64_t draw) {
    if ((draw & 0xFFFFFFFFu) < loss_) return;
    const Ticks latency = 1 + static_cast<Ticks>((draw >> 32) % 5);
    wheel_[(now_ + latency) % kSlots].push_back({static_cast<std::uint32_t>(pc.index), datagram});
}

// Whether an unobserved PC still needs the records of PCs it has no row of.
void Lan::FeelHunger(Pc& pc) {
    const bool hungry = pc.on && !pc.observed && pc.engine->Table().Size() < kRowsThatSpreadAnswers;
    if (hungry == pc.hungry) return;
    pc.hungry = hungry;
    if (hungry) hungry_.push_back(pc.index);
    else std::erase(hungry_, pc.index);
}

void Lan::Rearm(Pc& pc) {
    const std::optional<Ticks> wait = pc.engine->NextWake(now_);
    if (!wait) return;
    // Beyond the wheel: a wake that finds nothing due and sets the next.
    const long long at = static_cast<long long>(now_) + std::min<Ticks>(*wait, kSlots - 1);
    if (pc.wakeAt == at) return;
    pc.wakeAt = at;
    wheel_[static_cast<std::size_t>(at) % kSlots].push_back({static_cast<std::uint32_t>(pc.index), kWake});
}

void Lan::Deliver(Pc& pc, std::uint32_t datagram) {
    if (datagram == kWake) {
        if (pc.wakeAt != static_cast<long long>(now_)) return;
        pc.wakeAt = -1;
        const Owner owner(pc.index);
        pc.engine->Wake(now_);
        FeelHunger(pc);
    } else {
        const Datagram& heard = At(datagram);
        ++figures_.receptions;
        if (pc.observed) {
            pc.lastArrivals.push_back(now_);
            while (now_ - pc.lastArrivals.front() >= 100) pc.lastArrivals.pop_front();
            figures_.mostIn100ms = std::max(figures_.mostIn100ms, pc.lastArrivals.size());
        } else if (heard.record) {
            pc.hasRow[static_cast<std::size_t>(heard.sender)] = true;
        }
        const Owner owner(pc.index);
        pc.engine->Heard(now_, heard.text, pcs_[static_cast<std::size_t>(heard.sender)].dotted);
        FeelHunger(pc);
    }
    Rearm(pc);
}

void Lan::Later(Plan plan) {
    plans_.push_back(std::move(plan));
    std::push_heap(plans_.begin(), plans_.end(), [](const Plan& a, const Plan& b) { return a.at > b.at; });
}

// Every other running PC with a status to tell has its row. A PC whose
// last broadcast was no status (it asked for the states itself since) tells
// nothing when asked, and a Refresh elsewhere drops its row.
bool Lan::Complete(const Pc& asker) const {
    for (int other : running_) {
        const Pc& pc = pcs_[static_cast<std::size_t>(other)];
        const std::string& last = pc.engine->LastSentState();
        const bool tells = !last.empty() && last.find("\\\\LOGOFF") == std::string::npos;
        if (other != asker.index && tells && !asker.engine->Table().Find(pc.name)) return false;
    }
    return true;
}

void Lan::Carry(const Plan& plan) {
    Pc& pc = pcs_[static_cast<std::size_t>(plan.pc)];
    // What the engine keeps is its own.
    const auto asPc = [&](auto step) {
        const Owner owner(pc.index);
        step(*pc.engine);
    };
    switch (plan.kind) {
        case Plan::Start:
            pc.on = true;
            running_.push_back(pc.index);
            {
                const Owner owner(pc.index);
                pc.engine = std::make_unique<PresenceEngine>(pc, pc.myName, static_cast<std::uint32_t>(random_.Next()));
            }
            if (pc.observed) watchers_.push_back(pc.index);
            FeelHunger(pc);
            asPc([&](PresenceEngine& engine) { engine.RequestStates(now_); });
            break;
        case Plan::Status:
            if (!pc.on) return;
            pc.whereabouts = plan.text;
            asPc([&](PresenceEngine& engine) { engine.SendStatus(now_, StatusPayload(plan.text, pc.myName)); });
            if (now_ >= kHourStart) Later({now_ + kCheckDelay, Plan::Check, pc.index, plan.text});
            break;
        case Plan::Check: {
            if (!pc.on || pc.whereabouts != plan.text) return;  // gone, or changed again since
            const std::string name = pc.name;
            for (int observer : running_) {
                if (observer == pc.index || !pcs_[static_cast<std::size_t>(observer)].observed) continue;
                const StatusRow* row = pcs_[static_cast<std::size_t>(observer)].engine->Table().Find(name);
                ++figures_.pairsChecked;
                figures_.pairsCurrent += row && row->Whereabouts == plan.text;
            }
            return;
        }
        case Plan::Vanish:
            pc.on = false;
            pc.vanished = true;
            std::erase(running_, pc.index);
            std::erase(watchers_, pc.index);
            FeelHunger(pc);
            return;
        case Plan::Refresh:
            if (!pc.on) return;
            asPc([&](PresenceEngine& engine) { engine.RequestStates(now_); });
            Later({now_ + kRoundLength + 1, Plan::RefreshCheck, pc.index, {}, plan.round});
            break;
        case Plan::RefreshCheck:
            if (Complete(pc)) {
                if (plan.round == 1) ++figures_.completeFirst;
                ++figures_.completeSecond;
                return;
            }
            if (plan.round == 2) return;
            // The user sees somebody missing and asks once more.
            asPc([&](PresenceEngine& engine) { engine.RequestStates(now_); });
            Later({now_ + kRoundLength + 1, Plan::RefreshCheck, pc.index, {}, 2});
            break;
    }
    Rearm(pc);
}

Figures Lan::Run() {
    const int count = static_cast<int>(pcs_.size());
    for (int i = 0; i < count; ++i) {
        const Ticks start = random_.Below(kMorning);
        plans_.push_back({start, Plan::Start, i, {}});
        plans_.push_back({start + 5 * kSecond + random_.Below(115 * kSecond), Plan::Status, i, "在席"});
        for (int change = 0; change < kChangesPerHour; ++change) {
            plans_.push_back({kHourStart + random_.Below(kHourEnd - kHourStart), Plan::Status, i,
                              "状態" + std::to_string(++changes_)});
        }
    }
    std::vector<int> order(pcs_.size());
    for (int i = 0; i < count; ++i) order[static_cast<std::size_t>(i)] = i;
    for (int i = count - 1; i > 0; --i) std::swap(order[static_cast<std::size_t>(i)], order[random_.Below(static_cast<Ticks>(i + 1))]);
    const int vanishing = std::max(1, count / 10);
    for (int i = 0; i < vanishing; ++i) plans_.push_back({kHourEnd, Plan::Vanish, order[static_cast<std::size_t>(i)], {}});
    const int observed = std::min(count - vanishing, observed_);
    for (int i = 0; i < count; ++i) {
        Pc& pc = pcs_[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])];
        pc.observed = count <= observed_ || (i >= vanishing && i < vanishing + observed);
        if (!pc.observed) pc.hasRow.assign(pcs_.size(), false);
    }
    for (int r = 0; r < refreshes_; ++r) {
        const int asker = order[static_cast<std::size_t>(vanishing + static_cast<int>(random_.Below(static_cast<Ticks>(observed))))];
        plans_.push_back({kHourEnd + kRefreshGap * static_cast<Ticks>(r + 1), Plan::Refresh, asker, {}, 1});
    }
    figures_.refreshes = refreshes_;
    const Ticks end = kHourEnd + kRefreshGap * static_cast<Ticks>(refreshes_ + 1) + 2 * kRoundLength + 10;
    perSecond_.assign(end / kSecond + 1, 0);

    // Plans are carried in time order; those a plan adds come later than it.
    const Owner nobody(-1);
    auto later = [](const Plan& a, const Plan& b) { return a.at > b.at; };
    std::make_heap(plans_.begin(), plans_.end(), later);
    for (now_ = 0; now_ < end; ++now_) {
        while (!plans_.empty() && plans_.front().at == now_) {
            std::pop_heap(plans_.begin(), plans_.end(), later);
            const Plan plan = std::move(plans_.back());
            plans_.pop_back();
            Carry(plan);
        }
        std::vector<Event>& slot = wheel_[now_ % kSlots];
        for (std::size_t i = 0; i < slot.size(); ++i) {
            Pc& pc = pcs_[slot[i].pc];
            if (pc.on) Deliver(pc, slot[i].datagram);
        }
        slot.clear();
        while (!datagrams_.empty() && datagrams_.front().sent + 5 <= now_) {
            datagrams_.pop_front();
            ++firstDatagram_;
        }
        if (now_ == kHourEnd - 1) {
            long long most = 0;
            for (long long bytes : held_) most = std::max(most, bytes);
            figures_.tableKb = static_cast<double>(most) / 1024;
        }
    }

    std::uint32_t hour = 0, peak = 0;
    for (Ticks s = 0; s < perSecond_.size(); ++s) {
        peak = std::max(peak, perSecond_[s]);
        if (s >= kHourStart / kSecond && s < kHourEnd / kSecond) hour += perSecond_[s];
    }
    figures_.steady = static_cast<double>(hour) / ((kHourEnd - kHourStart) / kSecond);
    figures_.peak = peak;
    for (const Pc& observer : pcs_) {
        if (!observer.on || !observer.observed) continue;
        for (const Pc& gone : pcs_) {
            if (!gone.vanished) continue;
            ++figures_.vanishedPairs;
            figures_.vanishedShown += observer.engine->Table().Find(gone.name) != nullptr;
        }
    }
    return figures_;
}

std::vector<int> Numbers(const char* text) {
    std::vector<int> numbers;
    for (const char* p = text; *p;) {
        numbers.push_back(std::atoi(p));
        p = std::strchr(p, ',');
        if (!p) break;
        ++p;
    }
    return numbers;
}

// <chrono> cannot be compiled for code page 932 literals (it spells µs).
double NowSeconds() {
    std::timespec now{};
    std::timespec_get(&now, TIME_UTC);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double Share(long long part, long long whole) { return whole ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0; }

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes = {10, 100, 1000}, losses = {0, 5, 20};
    int refreshes = 20, observed = 20;
    if (const char* env = std::getenv("PAVLUNE_LAN_PCS")) sizes = Numbers(env);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--pcs=", 6) == 0) sizes = Numbers(argv[i] + 6);
        else if (std::strncmp(argv[i], "--loss=", 7) == 0) losses = Numbers(argv[i] + 7);
        else if (std::strncmp(argv[i], "--refreshes=", 12) == 0) refreshes = std::atoi(argv[i] + 12);
        else if (std::strncmp(argv[i], "--observed=", 11) == 0) observed = std::max(1, std::atoi(argv[i] + 11));
    }
    std::printf("lan scale: %d Refreshes per run, %d PCs observed; shares in %%, 'shown' = vanished PCs still shown at "
                "the end\n",
                refreshes, observed);
    std::printf("%6s %5s %9s %8s %10s %9s %8s %8s %7s %9s %6s\n", "PCs", "loss", "steady/s", "peak/s", "max/100ms",
                "current", "refr.r1", "refr.r2", "shown", "table KB", "run s");
    for (int pcs : sizes) {
        for (int loss : losses) {
            const double started = NowSeconds();
            Figures f = Lan(pcs, loss / 100.0, refreshes, observed, 0x5EED0000u + static_cast<unsigned>(pcs * 100 + loss)).Run();
            const double seconds = NowSeconds() - started;
            std::printf("%6d %4d%% %9.2f %8.0f %10zu %9.2f %8.1f %8.1f %7.1f %9.1f %6.1f\n", pcs, loss, f.steady, f.peak,
                        f.mostIn100ms, Share(f.pairsCurrent, f.pairsChecked), Share(f.completeFirst, f.refreshes),
                        Share(f.completeSecond, f.refreshes), Share(f.vanishedShown, f.vanishedPairs), f.tableKb,
                        seconds);
            std::fflush(stdout);
        }
    }
    return 0;
}
