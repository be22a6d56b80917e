#include "lan/presence.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "common/sjis.h"

namespace pavlune {

namespace {

constexpr char kSeparator = '\\';
constexpr auto npos = std::string_view::npos;

// A record heard this soon after a state request may be its answer: every
// version answers at once. Only one heard later shows a PC repeating on its own.
constexpr Ticks kAnswerWindow = 10000;
// Shorter waits are the quick repeats of a status just set, never the period.
constexpr Ticks kMinRepeatGap = 40000;
constexpr Ticks kMaxRepeatGap = 24 * 60 * 60 * 1000;

// More than two periods: a repeat waits between four fifths of its period
// and all of it, so two and a half of the shortest wait seen.
Ticks SilenceLimit(Ticks repeatGap) { return repeatGap / 2 * 5; }

bool Before(Ticks a, Ticks b) { return static_cast<std::int32_t>(a - b) < 0; }

bool SameRecord(const StatusRow& a, const StatusRow& b) {
    return a.SetTime == b.SetTime && a.Whereabouts == b.Whereabouts && a.Name == b.Name &&
           a.Category1 == b.Category1 && a.Category2 == b.Category2;
}

std::string FormatTime(const char* pattern, const LocalTime& time) {
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, pattern, time.Year, time.Month, time.Day, time.Hour, time.Minute,
                  time.Second);
    return buffer;
}

// The text before the separator at pos and the text after it.
struct Split {
    std::string_view Before;
    std::string_view After;
};

Split SplitAt(std::string_view text, std::size_t pos) {
    return {text.substr(0, pos), text.substr(pos + 1)};
}

char FoldAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Names are the same when they differ at most in the case of ASCII letters:
// such names have one key. The walk goes by characters, so a trail byte in
// 0x61-0x7A (ヂ is 0x83 0x61) is never folded onto another character (ア is
// 0x83 0x41).
std::string NameKey(std::string_view name) {
    std::string key(name);
    for (std::size_t pos = 0; pos < key.size(); pos += CharLength(key, pos)) key[pos] = FoldAsciiLetter(key[pos]);
    return key;
}

unsigned char FoldByte(char c) {
    return static_cast<unsigned char>(FoldAsciiLetter(c));
}

}  // namespace

std::string FormatStamp(const LocalTime& time) {
    return FormatTime("%04d/%02d/%02d %02d:%02d:%02d", time);
}

std::string FormatMinuteStamp(const LocalTime& time) {
    return FormatTime("%04d/%02d/%02d %02d:%02d", time);
}

std::string StatusPayload(std::string_view whereabouts, std::string_view myName) {
    // A rest that began with the separator would read as a command word.
    std::string payload = whereabouts.empty() ? std::string(" ") : std::string(whereabouts);
    payload += kSeparator;
    payload += myName;
    return payload;
}

std::string StateRequestPayload(std::string_view myName) {
    return "\\GETSTATE\\ \\" + std::string(myName);
}

std::string LogOffPayload(std::string_view myName) {
    return "\\LOGOFF\\ \\" + std::string(myName);
}

std::string PresenceText(const LocalTime& time, std::string_view payload) {
    std::string text = FormatStamp(time);
    text += kSeparator;
    text += payload;
    return text;
}

std::string ComposeMyName(std::string_view name, std::string_view category1, std::string_view category2) {
    std::string myName = std::string(name) + kSeparator + std::string(category1);
    if (!category2.empty()) myName.append(1, kSeparator).append(category2);
    return myName;
}

std::string SenderName(std::string_view myName) {
    const std::size_t separator = FindChar(myName, kSeparator);
    if (separator == npos) return {};
    return std::string(myName.substr(0, separator));
}

std::string PersonalMessage(std::string_view myName, const LocalTime& time, std::string_view text) {
    std::string message = SenderName(myName);
    message += "\n<<";
    message += FormatMinuteStamp(time);
    message += ">>\n";
    message += text;
    return message;
}

std::string_view DatagramText(std::string_view datagram) {
    // The zero byte ends the text like a C string; 0x00 is never a trail byte.
    return datagram.substr(0, datagram.find('\0'));
}

const std::vector<StatusRow>& StatusTable::Rows() const {
    Compact();
    return rows_;
}

const StatusRow* StatusTable::Find(std::string_view name) const {
    const auto found = positions_.find(NameKey(name));
    return found == positions_.end() ? nullptr : &rows_[found->second];
}

void StatusTable::AwaitAnswers() {
    for (StatusRow& row : rows_) row.Unanswered = true;
}

bool StatusTable::EndRound() {
    bool changed = false;
    for (std::size_t position = 0; position < rows_.size(); ++position) {
        StatusRow& row = rows_[position];
        if (gaps_[position] || !row.Unanswered) continue;
        if (row.MissedRound) Remove(position);
        row.MissedRound = row.Greyed = changed = true;
    }
    return changed;
}

bool StatusTable::GreySilent(Ticks now) {
    if (!silenceWatched_ || Before(now, silenceCheckAt_)) return false;
    silenceWatched_ = false;
    bool greyed = false;
    for (std::size_t position = 0; position < rows_.size(); ++position) {
        StatusRow& row = rows_[position];
        if (gaps_[position] || row.RepeatGap == 0 || row.Greyed) continue;
        if (now - row.HeardAt > SilenceLimit(row.RepeatGap)) row.Greyed = greyed = true;
        else WatchSilence(row);
    }
    return greyed;
}

std::optional<Ticks> StatusTable::NextSilent(Ticks now) const {
    if (!silenceWatched_) return std::nullopt;
    return Before(now, silenceCheckAt_) ? silenceCheckAt_ - now : 0;
}

void StatusTable::WatchSilence(const StatusRow& row) {
    const Ticks due = row.HeardAt + SilenceLimit(row.RepeatGap) + 1;
    if (!silenceWatched_ || Before(due, silenceCheckAt_)) silenceCheckAt_ = due;
    silenceWatched_ = true;
}

// The same record again, long after the last and not just after a state
// request: its PC repeats it on its own, about this often.
Ticks StatusTable::RepeatGapAfter(const StatusRow& before, Ticks now) const {
    const Ticks gap = now - before.HeardAt;
    if ((requestHeard_ && now - lastRequestAt_ < kAnswerWindow) || gap < kMinRepeatGap) return before.RepeatGap;
    return std::min({gap, kMaxRepeatGap, before.RepeatGap == 0 ? kMaxRepeatGap : before.RepeatGap});
}

void StatusTable::Remove(std::size_t position) {
    positions_.erase(NameKey(rows_[position].Name));
    gaps_[position] = true;
    ++gapCount_;
}

void StatusTable::Compact() const {
    if (gapCount_ == 0) return;
    std::size_t kept = 0;
    for (std::size_t position = 0; position < rows_.size(); ++position) {
        if (gaps_[position]) continue;
        if (kept != position) {
            rows_[kept] = std::move(rows_[position]);
            positions_[NameKey(rows_[kept].Name)] = kept;
        }
        ++kept;
    }
    rows_.resize(kept);
    gaps_.assign(kept, false);
    gapCount_ = 0;
    oldest_ = 0;
}

PresenceAction StatusTable::Receive(std::string_view datagram, std::string_view fromAddress, Ticks now) {
    const std::string_view text = DatagramText(datagram);

    // The stamp goes up to the first separator; without one there is no stamp.
    std::string_view stamp;
    std::string_view rest = text;
    if (const std::size_t separator = FindChar(text, kSeparator); separator != npos) {
        const Split split = SplitAt(text, separator);
        stamp = split.Before;
        rest = split.After;
    }

    std::size_t separator = FindChar(rest, kSeparator);
    if (separator == npos) return PresenceAction::None;

    // A rest that begins with a separator carries a command word.
    bool logOff = false;
    if (separator == 0) {
        rest.remove_prefix(1);
        separator = FindChar(rest, kSeparator);
        if (separator != npos) {
            const Split split = SplitAt(rest, separator);
            rest = split.After;
            if (split.Before == "LOGOFF") {
                logOff = true;
            } else if (split.Before == "GETSTATE") {
                requestHeard_ = true;
                lastRequestAt_ = now;
                return PresenceAction::AnswerStateRequest;
            }
            // Any other word is skipped: what follows it is read as a record.
            separator = FindChar(rest, kSeparator);
        }
    }

    std::string_view whereabouts;
    if (separator != npos) {
        const Split split = SplitAt(rest, separator);
        whereabouts = split.Before;
        rest = split.After;
    }

    // The rest is MyName: without a separator in it there is no name to key a row by.
    separator = FindChar(rest, kSeparator);
    if (separator == npos) return PresenceAction::Refill;
    const Split name = SplitAt(rest, separator);

    StatusRow row;
    row.Name = name.Before;
    row.Whereabouts = whereabouts;
    row.SetTime = stamp;
    row.PeerAddress = fromAddress;
    row.HeardAt = now;
    if (const std::size_t second = FindChar(name.After, kSeparator); second != npos) {
        const Split categories = SplitAt(name.After, second);
        row.Category1 = categories.Before;
        row.Category2 = std::string(categories.After);
    } else {
        row.Category1 = name.After;
    }
    if (const auto old = positions_.find(NameKey(name.Before)); old != positions_.end()) {
        if (SameRecord(rows_[old->second], row)) row.RepeatGap = RepeatGapAfter(rows_[old->second], now);
        Remove(old->second);
    }
    if (logOff) return PresenceAction::Refill;
    if (row.RepeatGap != 0) WatchSilence(row);
    // The gaps are closed once they are as many as the rows, so each costs
    // little, and the table stays within twice its rows.
    if (gapCount_ * 2 >= rows_.size()) Compact();
    // A host sending names without end must not grow the table without end.
    if (rows_.size() - gapCount_ >= kMaxStatusRows) {
        while (gaps_[oldest_]) ++oldest_;
        Remove(oldest_);
    }
    positions_[NameKey(row.Name)] = rows_.size();
    rows_.push_back(std::move(row));
    gaps_.push_back(false);
    return PresenceAction::Refill;
}

int CompareColumnText(std::string_view a, std::string_view b) {
    const std::size_t shorter = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < shorter; ++i) {
        if (a[i] == b[i]) continue;
        const int difference = FoldByte(a[i]) - FoldByte(b[i]);
        if (difference != 0) return difference;
    }
    return (a.size() > b.size()) - (a.size() < b.size());
}

int CompareRows(const StatusRow& a, const StatusRow& b, int column) {
    switch (column) {
        case 0: return CompareColumnText(a.Name, b.Name);
        case 1: return CompareColumnText(a.Whereabouts, b.Whereabouts);
        case 2: return CompareColumnText(a.SetTime, b.SetTime);
        case 3: return CompareColumnText(a.Category1, b.Category1);
        case 4:
            if (a.Category2 && b.Category2) return CompareColumnText(*a.Category2, *b.Category2);
            return bool(a.Category2) - bool(b.Category2);  // absent first
        default: return 0;
    }
}

ColumnSort ColumnSort::Click(int column) const {
    const bool sortedAscending = Column == column && !Descending;
    return {column, sortedAscending};
}

void SortRows(std::vector<StatusRow>& rows, const ColumnSort& sort) {
    if (sort.Column < 0) return;
    std::stable_sort(rows.begin(), rows.end(), [&](const StatusRow& a, const StatusRow& b) {
        const int order = CompareRows(a, b, sort.Column);
        return sort.Descending ? order > 0 : order < 0;
    });
}

}  // namespace pavlune
