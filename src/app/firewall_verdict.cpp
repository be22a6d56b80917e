#include "app/firewall_verdict.h"

#include <algorithm>

#include "common/sjis.h"

namespace pavlune {

namespace {

constexpr int kReceivedPorts[] = {5963, 5964};

// A path compared as Windows compares file names: ASCII letters case-blind,
// the two-byte characters (whose second byte may look like a letter) as they are.
bool SamePath(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t pos = 0; pos < a.size();) {
        const std::size_t length = CharLength(a, pos);
        if (length != CharLength(b, pos)) return false;
        if (length == 1) {
            auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
            if (fold(a[pos]) != fold(b[pos])) return false;
        } else if (a.substr(pos, 2) != b.substr(pos, 2)) {
            return false;
        }
        pos += length;
    }
    return true;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::optional<int> PortNumber(std::string_view text) {
    text = Trimmed(text);
    if (text.empty() || text.size() > 5) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Whether the list of ports ("*", numbers and ranges separated by commas)
// covers port. Keywords such as "RPC" or "Teredo" cover none of ours.
bool CoversPort(std::string_view ports, int port) {
    if (Trimmed(ports).empty() || Trimmed(ports) == "*") return true;
    while (!ports.empty()) {
        const std::size_t comma = ports.find(',');
        const std::string_view entry = ports.substr(0, comma);
        ports = comma == std::string_view::npos ? std::string_view() : ports.substr(comma + 1);
        const std::size_t dash = entry.find('-');
        const std::optional<int> first = PortNumber(entry.substr(0, dash));
        const std::optional<int> last = dash == std::string_view::npos ? first : PortNumber(entry.substr(dash + 1));
        if (first && last && *first <= port && port <= *last) return true;
    }
    return false;
}

bool Applies(const FirewallRule& rule, unsigned profile, std::string_view exePath, const EnvironmentLookup& lookup) {
    return rule.Enabled && rule.Inbound && (rule.Protocol == kUdpProtocol || rule.Protocol == kAnyProtocol) &&
           (rule.Profiles & profile) != 0 &&
           (rule.Application.empty() || SamePath(ExpandVariables(rule.Application, lookup), exePath));
}

bool CoversOurPorts(std::string_view ports) {
    return std::any_of(std::begin(kReceivedPorts), std::end(kReceivedPorts),
                       [&](int port) { return CoversPort(ports, port); });
}

bool Receives(const FirewallSettings& settings, unsigned profile, int port, std::string_view exePath,
              const EnvironmentLookup& lookup) {
    bool allowed = false;
    for (const FirewallRule& rule : settings.Rules) {
        if (!Applies(rule, profile, exePath, lookup) || !CoversPort(rule.LocalPorts, port)) continue;
        if (!rule.Allow) return false;
        allowed = true;
    }
    return allowed;
}

}  // namespace

std::string ExpandVariables(std::string_view text, const EnvironmentLookup& lookup) {
    std::string expanded;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = FindChar(text, '%', pos);
        const std::size_t close = open == std::string_view::npos ? open : FindChar(text, '%', open + 1);
        if (close == std::string_view::npos) break;
        expanded += text.substr(pos, open - pos);
        const std::optional<std::string> value = lookup(text.substr(open + 1, close - open - 1));
        if (value) {
            expanded += *value;
            pos = close + 1;
        } else {
            // The closing mark may open the next variable.
            expanded += '%';
            expanded += text.substr(open + 1, close - open - 1);
            pos = close;
        }
    }
    expanded += text.substr(std::min(pos, text.size()));
    return expanded;
}

unsigned BlockingProfiles(const FirewallSettings& settings, std::string_view exePath, const EnvironmentLookup& lookup) {
    unsigned blocking = 0;
    for (unsigned profile : {kDomainProfile, kPrivateProfile, kPublicProfile}) {
        if ((settings.ActiveProfiles & settings.FirewallOn & profile) == 0) continue;
        for (int port : kReceivedPorts) {
            if (!Receives(settings, profile, port, exePath, lookup)) blocking |= profile;
        }
    }
    return blocking;
}

std::optional<unsigned> ProfilesLeftBlocking(const FirewallRule& rule, std::string_view exePath,
                                             const EnvironmentLookup& lookup) {
    if (rule.Allow || rule.Application.empty() || !Applies(rule, kFixedProfiles, exePath, lookup) ||
        !CoversOurPorts(rule.LocalPorts)) {
        return std::nullopt;
    }
    return rule.Profiles & ~kFixedProfiles;
}

}  // namespace pavlune
