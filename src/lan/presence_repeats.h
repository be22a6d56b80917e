// Presence on a LAN that loses datagrams. A broadcast is never acknowledged,
// and Wi-Fi sends it at the lowest rate without a retry, so whatever matters
// goes out more than once: a status the user set, the state requests of a
// Refresh, the answers to them. Pure: times in, what is due out. Times are
// milliseconds of a clock that wraps (GetTickCount); only their differences
// count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pavlune {

using Ticks = std::uint32_t;

// The random part of the delays, so that PCs that heard the same datagram
// do not all send again in the same instant.
class Jitter {
public:
    explicit Jitter(std::uint32_t seed) : state_(seed | 1) {}
    // A number from 0 to bound - 1 (0 when bound is 0).
    Ticks Below(Ticks bound);

private:
    std::uint32_t state_;
};

// Steps that fall due at offsets from a start, taken one at a time in order.
// A step taken late (the program was busy) moves the later ones by as much,
// so they keep their spacing from it.
class Schedule {
public:
    // Starts over: whatever was still owed is forgotten.
    void Start(Ticks now, std::vector<Ticks> offsets);
    void Stop();
    bool Running() const { return next_ < offsets_.size(); }
    std::size_t StepsLeft() const { return offsets_.size() - next_; }
    // One step more, this long after the last; only while a step is left.
    void Append(Ticks after) { offsets_.push_back(offsets_.back() + after); }
    // How long until the next step falls due (0 when overdue); none when no step is left.
    std::optional<Ticks> Wait(Ticks now) const;
    // The number of the step due by now, which is then done; none when no step is due.
    std::optional<std::size_t> TakeDue(Ticks now);

private:
    Ticks start_ = 0;
    std::vector<Ticks> offsets_;
    std::size_t next_ = 0;
};

// A status the user set goes out again, the same bytes, about 1 s and about
// 3 s after it; a newer status starts over.
std::vector<Ticks> StatusRepeatOffsets(Jitter& jitter);

// A Refresh round: the state request goes out three times over about 1.5 s
// (steps 0 to 2); at the last step, about 3 s in, the round ends and the
// rows of the PCs that did not answer go.
std::vector<Ticks> RefreshRoundOffsets(Jitter& jitter);
inline constexpr std::size_t kRefreshRoundEnd = 3;

// A PC repeats its status now and then, every period (milliseconds) less a
// random part of up to a fifth of it, so that PCs started together spread out.
Ticks StatusPeriodWait(Jitter& jitter, Ticks period);
inline constexpr unsigned kDefaultRepeatMinutes = 10;

// The log-off notice goes out twice more while the program ends, this many
// milliseconds after the one before: Windows gives an ending program little time.
inline constexpr Ticks kLogOffRepeatGaps[] = {30, 60};

// Answers to state requests, in rounds: the first request heard opens a
// round, answered at once and once more about a second later. Every further
// request while the round is open (longer than a Refresh round asks) is
// served by those two answers, so a PC answers one Refresh at most twice,
// and a burst of any size a handful of times.
// On a LAN of many PCs every PC hears the same request in the same instant:
// the answers are then spread over a random delay that grows with the
// number of PCs in the table (half a second at 1,000), each PC's first in
// the first half second and its second before 1.2 s, so that a request
// heard at a Refresh round's last asking is still answered twice before
// the round ends.
// Another PC's Refresh that begins inside an open round (its request differs
// from the one that opened it) still gets two answers: when only one of the
// round's answers is left, one more is booked, once a round, and the round
// stays open for that Refresh's later requests; when none is left, a new
// round opens for it.
class AnswerRounds {
public:
    void Heard(Ticks now, Jitter& jitter, std::size_t tableRows, std::string_view request = {});
    void Stop() { answers_.Stop(); }
    std::optional<Ticks> Wait(Ticks now) const { return answers_.Wait(now); }
    // Whether an answer is due by now; it is then counted as sent.
    bool TakeDue(Ticks now) { return answers_.TakeDue(now).has_value(); }

private:
    void Open(Ticks now, Jitter& jitter, std::size_t tableRows, std::string_view request);

    Schedule answers_;
    bool opened_ = false;
    Ticks openedAt_ = 0;
    Ticks length_ = 0;
    std::string request_;   // the request that opened the round
    std::string previous_;  // and the one before: a Refresh that goes on asking
    bool booked_ = false;
};

}  // namespace pavlune
