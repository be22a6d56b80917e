// This PC's subnets: the address and mask of each of its network adapters.
// Where the system tells the masks (GetIpAddrTable) they decide which
// places the local broadcast reaches and where a directed broadcast must
// go; where it does not, every address is taken as its /24. Pure.
#pragma once

#include <cstdint>
#include <vector>

namespace pavlune {

// An IPv4 address in host order: 10.1.2.255 is 0x0A0102FF.
using Ipv4 = std::uint32_t;

struct Subnet {
    Ipv4 Address = 0;
    Ipv4 Mask = 0;
    bool operator==(const Subnet&) const = default;
};

// Winsock 1.1 tells this PC's addresses but not their masks: the common
// office mask, and the narrowest guess that still keeps a VPN address
// (10.8.0.23) apart from the office (10.1.2.x) where a classful guess would
// join them.
inline constexpr Ipv4 kGuessedMask = 0xFFFFFF00;

bool IsLoopback(Ipv4 address);

// The addresses, each with the guessed mask, sorted.
std::vector<Subnet> GuessedSubnets(const std::vector<Ipv4>& addresses);

// The adapters as the system lists them, without loopback and adapters
// that have no address (0.0.0.0), sorted; a mask that is no mask (0, or
// holes in it) is taken as the guess.
std::vector<Subnet> AdapterSubnets(std::vector<Subnet> adapters);

// The directed broadcasts that each presence datagram also goes to. A send
// to 255.255.255.255 leaves by one adapter only, the one with the best
// route, often a VPN's or a virtual switch's rather than the office's: with
// more than one adapter, every subnet gets a broadcast of its own. One
// adapter needs none, and its colleagues hear each datagram once, as ever.
// A /31 or /32 link has no broadcast address.
std::vector<Ipv4> DirectedBroadcasts(const std::vector<Subnet>& own);

// Whether the address lies in one of this PC's subnets; loopback addresses
// are this PC too.
bool InOwnSubnets(Ipv4 address, const std::vector<Subnet>& own);

// Whether a target of the BroadcastTo list is already reached by this PC's
// own broadcasts: this PC itself, or the broadcast address of one of its
// subnets. A single PC of the same subnet keeps its copy: a VPN gives its
// PCs neighbouring addresses without a broadcast between them.
bool ReachedByLocalBroadcast(Ipv4 target, const std::vector<Subnet>& own);

}  // namespace pavlune
