// Whether Windows' firewall lets this program receive its colleagues'
// datagrams (5963 and 5964 over UDP), judged from the firewall's settings
// as Vista and later keep them: the profiles in force, the firewall on or
// off for each, and the rules. Pure: the shell reads the settings through
// COM and hands them over as text.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pavlune {

// The firewall's profile bits (NET_FW_PROFILE2_DOMAIN, _PRIVATE, _PUBLIC).
inline constexpr unsigned kDomainProfile = 1, kPrivateProfile = 2, kPublicProfile = 4;
// The IP protocol numbers a rule names: UDP, and "any".
inline constexpr int kUdpProtocol = 17, kAnyProtocol = 256;

struct FirewallRule {
    std::string Application;  // as the rule holds it, variables unexpanded; empty for every program
    bool Enabled = true;
    bool Inbound = true;
    int Protocol = kAnyProtocol;
    std::string LocalPorts = "*";  // "*", "5963", "5963-5964", "80,5963-5964", or a keyword
    unsigned Profiles = 0;         // profile bits
    bool Allow = true;
};

struct FirewallSettings {
    unsigned ActiveProfiles = 0;   // the profiles of the networks the PC is on
    unsigned FirewallOn = 0;       // the profiles whose firewall is on
    std::vector<FirewallRule> Rules;
};

// The value of an environment variable, none when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

// %NAME% replaced by its value; a variable that is not set stays as written.
std::string ExpandVariables(std::string_view text, const EnvironmentLookup& lookup);

// The active profiles whose firewall keeps one of the two ports of
// exePath from receiving: a block rule covering the port wins, as Windows
// applies it; with none, an allow rule must cover the port. 0 when both
// get through in every active profile.
unsigned BlockingProfiles(const FirewallSettings& settings, std::string_view exePath, const EnvironmentLookup& lookup);

// The profiles the fix opens to this program; the Public one stays as the
// user's network settings make it.
inline constexpr unsigned kFixedProfiles = kDomainProfile | kPrivateProfile;

// What the fix does to a rule: one of the program's own block rules (as
// Windows makes them for a user who was not asked or said no) stops
// blocking on the fixed profiles. The profiles it keeps blocking (0: the
// rule is switched off), or none when the rule is left as it is.
std::optional<unsigned> ProfilesLeftBlocking(const FirewallRule& rule, std::string_view exePath,
                                             const EnvironmentLookup& lookup);

}  // namespace pavlune
