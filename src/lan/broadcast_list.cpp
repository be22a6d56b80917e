#include "lan/broadcast_list.h"

#include <algorithm>
#include <iterator>

#include "common/sjis.h"

namespace pavlune {

namespace {

constexpr std::size_t kShownSkipped = 10;
constexpr std::size_t kShownEntryBytes = 40;

// The ranges an organisation's own PCs and VPNs use: nothing on them is
// reached from the internet directly.
bool IsPrivate(Ipv4 address) {
    struct Range {
        Ipv4 network;
        Ipv4 mask;
    };
    static constexpr Range ranges[] = {
        {0x0A000000, 0xFF000000},  // 10/8
        {0xAC100000, 0xFFF00000},  // 172.16/12
        {0xC0A80000, 0xFFFF0000},  // 192.168/16
        {0x64400000, 0xFFC00000},  // 100.64/10, the carrier's and many VPNs' shared space
        {0xA9FE0000, 0xFFFF0000},  // 169.254/16, a PC without a DHCP answer
    };
    return std::any_of(std::begin(ranges), std::end(ranges),
                       [&](const Range& range) { return (address & range.mask) == range.network; });
}

// 0.x.x.x names no host; 224 and up are multicast, reserved and the local
// broadcast, none of them a place for one more copy.
bool Usable(Ipv4 address) {
    const Ipv4 first = address >> 24;
    return first != 0 && first < 224;
}

// Length of the separator character at pos, 0 when there is none.
std::size_t SeparatorLength(std::string_view text, std::size_t pos) {
    const std::size_t length = CharLength(text, pos);
    if (length == 2) return text.substr(pos, 2) == "\x81\x40" ? 2 : 0;  // the ideographic space
    const char c = text[pos];
    return c == ',' || c == ' ' || c == '\t' ? 1 : 0;
}

// The entries of the list, walking Shift-JIS characters.
std::vector<std::string_view> Entries(std::string_view text) {
    std::vector<std::string_view> entries;
    std::size_t start = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t separator = SeparatorLength(text, pos);
        if (separator == 0) {
            pos += CharLength(text, pos);
            continue;
        }
        if (pos > start) entries.push_back(text.substr(start, pos - start));
        pos += separator;
        start = pos;
    }
    if (pos > start) entries.push_back(text.substr(start));
    return entries;
}

// The entry as the box shows it: at most kShownEntryBytes, never half a character.
std::string Shortened(std::string_view entry) {
    std::size_t end = 0;
    while (end < entry.size() && end + CharLength(entry, end) <= kShownEntryBytes) end += CharLength(entry, end);
    std::string shown(entry.substr(0, end));
    if (end < entry.size()) shown += "...";
    return shown;
}

}  // namespace

std::optional<Ipv4> ParseDottedIpv4(std::string_view text) {
    Ipv4 address = 0;
    std::size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.') return std::nullopt;
            ++pos;
        }
        unsigned value = 0;
        std::size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 3) {
            value = value * 10 + static_cast<unsigned>(text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || value > 255) return std::nullopt;
        address = address << 8 | value;
    }
    if (pos != text.size()) return std::nullopt;
    return address;
}

BroadcastList ParseBroadcastList(std::string_view text) {
    BroadcastList list;
    for (std::string_view entry : Entries(text)) {
        std::optional<Ipv4> address = ParseDottedIpv4(entry);
        if (!address || !Usable(*address) || list.Targets.size() >= kMaxBroadcastTargets) {
            list.Skipped.emplace_back(entry);
            continue;
        }
        if (std::find(list.Targets.begin(), list.Targets.end(), *address) == list.Targets.end()) {
            list.Targets.push_back(*address);
        }
    }
    return list;
}

bool NeedsDirectAnswer(Ipv4 requester, const std::vector<Subnet>& own, const std::vector<Ipv4>& targets) {
    const bool ownKnown =
        std::any_of(own.begin(), own.end(), [](const Subnet& subnet) { return !IsLoopback(subnet.Address); });
    if (!ownKnown || InOwnSubnets(requester, own) || !IsPrivate(requester)) return false;
    // The requester's mask is not known here: its subnet is guessed.
    const Ipv4 itsBroadcast = requester | ~kGuessedMask;
    return std::none_of(targets.begin(), targets.end(),
                        [&](Ipv4 target) { return target == requester || target == itsBroadcast; });
}

std::string SkippedEntriesMessage(const std::vector<std::string>& skipped) {
    std::string text = "設定ファイルの BroadcastTo にある次の宛先は使えないため、無視します。\n";
    for (std::size_t i = 0; i < skipped.size() && i < kShownSkipped; ++i) {
        text += '\n';
        text += Shortened(skipped[i]);
    }
    if (skipped.size() > kShownSkipped) {
        text += "\nほか ";
        text += std::to_string(skipped.size() - kShownSkipped);
        text += " 件";
    }
    return text;
}

}  // namespace pavlune
