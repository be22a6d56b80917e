// The presence protocol between instances on the LAN: wire formats, the
// status table of everything heard, and the order of the status list.
// Pure: bytes in, table changes out. All text is code page 932 bytes, and
// every search for the 0x5C separator walks Shift-JIS characters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pavlune {

// Milliseconds of a clock that wraps (GetTickCount); only differences count.
using Ticks = std::uint32_t;

inline constexpr unsigned short kPresencePort = 5963;       // every presence datagram, by broadcast
inline constexpr unsigned short kMessagePort = 5964;        // personal messages to one peer
inline constexpr unsigned short kMessageSourcePort = 5965;  // where personal messages come from

// Local time of the sender, as the stamps show it.
struct LocalTime {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

// "yyyy/mm/dd hh:nn:ss", zero-padded: the stamp of presence datagrams.
std::string FormatStamp(const LocalTime& time);
// "yyyy/mm/dd hh:nn": the time line of personal messages.
std::string FormatMinuteStamp(const LocalTime& time);

// Payloads handed to the broadcast, which puts the stamp and a backslash in
// front (except for a replay, sent as it was).
// whereabouts \ MyName; an empty whereabouts goes as one blank, as the log-off's empty field does.
std::string StatusPayload(std::string_view whereabouts, std::string_view myName);
std::string StateRequestPayload(std::string_view myName);                          // \GETSTATE\ \ MyName
std::string LogOffPayload(std::string_view myName);                                // \LOGOFF\ \ MyName
inline constexpr const char* kBareLogOffPayload = "\\LOGOFF";
// stamp \ payload: the text of a presence datagram (a zero byte follows on the wire).
std::string PresenceText(const LocalTime& time, std::string_view payload);

// MyName as the first start composes it: name \ category 1, and \ category 2
// when there is one.
std::string ComposeMyName(std::string_view name, std::string_view category1, std::string_view category2);

// The name part of MyName: up to its first backslash; empty without one.
std::string SenderName(std::string_view myName);

// A personal message: sender name, LF, "<<" minute stamp ">>", LF, text.
std::string PersonalMessage(std::string_view myName, const LocalTime& time, std::string_view text);

// The text of a received datagram: up to its first zero byte, or all of it.
std::string_view DatagramText(std::string_view datagram);

struct StatusRow {
    std::string Name;         // 名前: MyName up to its first backslash; the row's key
    std::string Whereabouts;  // 居場所
    std::string SetTime;      // 設定日時: the stamp as sent
    std::string Category1;    // 分類１
    std::optional<std::string> Category2;  // 分類２: absent when MyName had one backslash
    std::string PeerAddress;  // dotted IPv4 address the record came from (not shown)
    bool Unanswered = false;  // asked for by this PC's Refresh, not heard from since
    bool MissedRound = false; // did not answer this PC's last Refresh: goes at the next miss
    bool Greyed = false;      // shown greyed: missed a Refresh, or fell silent though it repeats
    Ticks HeardAt = 0;        // when its record was last heard
    // The shortest wait seen between two sends of its record on its own (no
    // state request just before): 0 while it is not known to repeat, as a
    // PC of an older version never does.
    Ticks RepeatGap = 0;
};

// What the receiver of a presence datagram does next.
enum class PresenceAction {
    None,                // ignored: nothing changed, nothing to show
    AnswerStateRequest,  // someone asked for states: answer by broadcast
    Refill,              // the table may have changed: refill a visible status list
};

// The most rows the table holds; a new name beyond them drops the oldest row.
inline constexpr std::size_t kMaxStatusRows = 10000;

// Every status heard on the LAN, one row per name (letter case ignored for
// ASCII letters), in the order heard: a new record moves its row to the end.
// A row is found by its name in constant time, whatever the table's size:
// on a LAN of thousands of PCs every answer to a state request replaces one.
class StatusTable {
public:
    const std::vector<StatusRow>& Rows() const;
    std::size_t Size() const { return rows_.size() - gapCount_; }
    // The row of this name (letter case ignored for ASCII letters); none when there is none.
    const StatusRow* Find(std::string_view name) const;
    // A Refresh keeps every row until its round ends: each waits for an
    // answer, and whatever PC has not answered by then goes.
    void AwaitAnswers();
    // A Refresh round has ended: a lost answer costs nothing, so a row still
    // waiting is greyed, and goes when it missed the round before as well.
    // True when any row changed.
    bool EndRound();
    // Greys the rows of PCs that repeat their status on their own and have
    // not been heard for more than two of their periods; true when any turned.
    bool GreySilent(Ticks now);
    // How long until a row may fall silent; none when no row can.
    std::optional<Ticks> NextSilent(Ticks now) const;

    // Handles one datagram that arrived on the presence port from fromAddress at now.
    PresenceAction Receive(std::string_view datagram, std::string_view fromAddress, Ticks now = 0);

private:
    void Remove(std::size_t position);
    Ticks RepeatGapAfter(const StatusRow& before, Ticks now) const;
    void WatchSilence(const StatusRow& row);
    // Closes the gaps the replaced rows left.
    void Compact() const;

    // In the order heard; a replaced row leaves a gap (an entry of gaps_)
    // until the next compaction.
    mutable std::vector<StatusRow> rows_;
    mutable std::vector<bool> gaps_;
    mutable std::size_t gapCount_ = 0;
    mutable std::size_t oldest_ = 0;  // every row before it is a gap
    mutable std::unordered_map<std::string, std::size_t> positions_;  // by folded name
    bool requestHeard_ = false;
    Ticks lastRequestAt_ = 0;
    bool silenceWatched_ = false;
    Ticks silenceCheckAt_ = 0;  // no row falls silent before it
};

// Column order of the status list: 名前, 居場所, 設定日時, 分類１, 分類２.
inline constexpr int kStatusColumnCount = 5;

// The list's column sort compares bytes with a-z folded to A-Z (every byte,
// second bytes of double-byte characters included), then lengths.
int CompareColumnText(std::string_view a, std::string_view b);

// Compares two rows by a column (0-4); an absent field sorts first.
int CompareRows(const StatusRow& a, const StatusRow& b, int column);

// The last column sort applied to the list: a click on the column sorted
// ascending turns it descending; any other click sorts ascending.
struct ColumnSort {
    int Column = -1;  // -1: none yet
    bool Descending = false;

    ColumnSort Click(int column) const;
};

// Sorts rows by the column sort (stable for equal rows).
void SortRows(std::vector<StatusRow>& rows, const ColumnSort& sort);

}  // namespace pavlune
