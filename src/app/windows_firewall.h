// Windows' firewall as this program sees it: whether it may receive its
// colleagues' datagrams, and the change that lets it. COM on the calling
// thread; either may take seconds.
#pragma once

#include <optional>
#include <string>

namespace pavlune {

// The active profiles (firewall_verdict.h) whose firewall keeps exePath
// from receiving on 5963 or 5964: 0 when both get through. None when it
// cannot be known: no firewall to ask (before XP SP2), another firewall
// registered with Windows, or any failure.
std::optional<unsigned> ReadFirewallBlock(const std::string& exePath);

// Lets exePath receive on the two ports on the Domain and Private profiles:
// an allow rule, and the program's own block rules no longer block there.
// Needs administrator rights; false on any failure.
bool AllowThroughFirewall(const std::string& exePath);

}  // namespace pavlune
