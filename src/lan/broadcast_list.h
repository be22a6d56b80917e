// Presence beyond this PC's own subnet. Routers do not forward the local
// broadcast (255.255.255.255), so the BroadcastTo setting lists further
// places every presence datagram goes to: the broadcast address of another
// subnet (10.1.2.255) or a single PC (10.8.0.23, say a colleague's VPN
// address). Pure: text in, addresses out.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lan/subnets.h"

namespace pavlune {

// The most places the list may name; entries beyond them are skipped.
inline constexpr std::size_t kMaxBroadcastTargets = 64;
// A requester outside this PC's subnets is answered directly; at most this
// many of them per answer, whatever a burst of requests claims.
inline constexpr std::size_t kMaxDirectAnswers = 8;

struct BroadcastList {
    std::vector<Ipv4> Targets;         // in the order written, each once
    std::vector<std::string> Skipped;  // entries that cannot be used, as written
};

// Reads the BroadcastTo value: entries separated by commas, blanks, tabs or
// ideographic spaces. An entry that is no dotted IPv4 address (a host name,
// a number out of range), 0.x.x.x, a multicast or reserved address, the
// local broadcast itself, or one beyond the first kMaxBroadcastTargets is
// skipped and named in Skipped.
BroadcastList ParseBroadcastList(std::string_view text);

// "a.b.c.d": four decimal numbers 0-255 of one to three digits, nothing else.
std::optional<Ipv4> ParseDottedIpv4(std::string_view text);

// Whether a state request from requester deserves an answer sent straight
// back to it: it comes from outside this PC's subnets, and the answer's
// broadcasts (the local one and the targets) do not already reach it, and
// it is a private or VPN address (10/8, 172.16/12, 192.168/16, 100.64/10,
// 169.254/16): a PC whose firewall is open to the internet tells nobody
// there where its user is. With no own address known nothing can be told
// apart, and nobody is answered directly.
bool NeedsDirectAnswer(Ipv4 requester, const std::vector<Subnet>& own, const std::vector<Ipv4>& targets);

// The start-up box's text naming the skipped entries (the first ten, each
// cut to 40 bytes, then how many more).
std::string SkippedEntriesMessage(const std::vector<std::string>& skipped);

}  // namespace pavlune
