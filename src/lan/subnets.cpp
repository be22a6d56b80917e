#include "lan/subnets.h"

#include <algorithm>

namespace pavlune {

namespace {

// Masks with at least this many host bits have a broadcast address (/30 and wider).
constexpr Ipv4 kNarrowestBroadcastHosts = 3;

bool IsMask(Ipv4 mask) {
    const Ipv4 hosts = ~mask;
    return mask != 0 && (hosts & (hosts + 1)) == 0;
}

Ipv4 BroadcastOf(const Subnet& subnet) { return subnet.Address | ~subnet.Mask; }

}  // namespace

bool IsLoopback(Ipv4 address) { return address >> 24 == 127; }

std::vector<Subnet> GuessedSubnets(const std::vector<Ipv4>& addresses) {
    std::vector<Subnet> subnets;
    for (Ipv4 address : addresses) subnets.push_back({address, kGuessedMask});
    std::sort(subnets.begin(), subnets.end(), [](const Subnet& a, const Subnet& b) { return a.Address < b.Address; });
    return subnets;
}

std::vector<Subnet> AdapterSubnets(std::vector<Subnet> adapters) {
    std::erase_if(adapters, [](const Subnet& adapter) { return adapter.Address == 0 || IsLoopback(adapter.Address); });
    for (Subnet& adapter : adapters) {
        if (!IsMask(adapter.Mask)) adapter.Mask = kGuessedMask;
    }
    std::sort(adapters.begin(), adapters.end(), [](const Subnet& a, const Subnet& b) {
        return a.Address != b.Address ? a.Address < b.Address : a.Mask < b.Mask;
    });
    adapters.erase(std::unique(adapters.begin(), adapters.end()), adapters.end());
    return adapters;
}

std::vector<Ipv4> DirectedBroadcasts(const std::vector<Subnet>& own) {
    std::vector<Ipv4> broadcasts;
    const auto adapters = std::count_if(own.begin(), own.end(), [](const Subnet& s) { return !IsLoopback(s.Address); });
    if (adapters < 2) return broadcasts;
    for (const Subnet& subnet : own) {
        if (IsLoopback(subnet.Address) || ~subnet.Mask < kNarrowestBroadcastHosts) continue;
        const Ipv4 broadcast = BroadcastOf(subnet);
        if (std::find(broadcasts.begin(), broadcasts.end(), broadcast) == broadcasts.end()) {
            broadcasts.push_back(broadcast);
        }
    }
    return broadcasts;
}

bool InOwnSubnets(Ipv4 address, const std::vector<Subnet>& own) {
    return IsLoopback(address) || std::any_of(own.begin(), own.end(), [&](const Subnet& subnet) {
               return !IsLoopback(subnet.Address) && (subnet.Address & subnet.Mask) == (address & subnet.Mask);
           });
}

bool ReachedByLocalBroadcast(Ipv4 target, const std::vector<Subnet>& own) {
    return std::any_of(own.begin(), own.end(), [&](const Subnet& subnet) {
        return !IsLoopback(subnet.Address) && (target == subnet.Address || target == BroadcastOf(subnet));
    });
}

}  // namespace pavlune
