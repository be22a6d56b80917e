#include "lan/presence_repeats.h"

#include <algorithm>
#include <utility>

namespace pavlune {

namespace {

constexpr Ticks kStatusRepeats[] = {1000, 3000};
constexpr Ticks kStatusJitter = 250;
constexpr Ticks kRequestRepeats[] = {700, 1400};
constexpr Ticks kRequestJitter = 100;
// Late enough for the second answer to a request heard only at the round's
// last asking (1.5 s + about 1.2 s), early enough for the user.
constexpr Ticks kRefreshRoundLength = 3000;
constexpr Ticks kAnswerRepeat = 1000;
constexpr Ticks kAnswerJitter = 200;
// Longer than the requests of a Refresh round are apart, first to last.
constexpr Ticks kAnswerRoundLength = 2000;
// The widest spread of the first answers, and how it grows with the table.
constexpr Ticks kMaxAnswerSpread = 500;
constexpr std::size_t kRowsPerSpreadMillisecond = 2;

}  // namespace

Ticks Jitter::Below(Ticks bound) {
    // xorshift32: plenty for spreading delays, and the same on every compiler.
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return bound == 0 ? 0 : state_ % bound;
}

void Schedule::Start(Ticks now, std::vector<Ticks> offsets) {
    start_ = now;
    offsets_ = std::move(offsets);
    next_ = 0;
}

void Schedule::Stop() {
    offsets_.clear();
    next_ = 0;
}

std::optional<Ticks> Schedule::Wait(Ticks now) const {
    if (!Running()) return std::nullopt;
    const Ticks elapsed = now - start_;
    const Ticks due = offsets_[next_];
    return elapsed >= due ? 0 : due - elapsed;
}

std::optional<std::size_t> Schedule::TakeDue(Ticks now) {
    if (Wait(now) != Ticks{0}) return std::nullopt;
    start_ += (now - start_) - offsets_[next_];
    return next_++;
}

std::vector<Ticks> StatusRepeatOffsets(Jitter& jitter) {
    std::vector<Ticks> offsets;
    for (Ticks repeat : kStatusRepeats) offsets.push_back(repeat + jitter.Below(kStatusJitter));
    return offsets;
}

std::vector<Ticks> RefreshRoundOffsets(Jitter& jitter) {
    std::vector<Ticks> offsets = {0};
    for (Ticks repeat : kRequestRepeats) offsets.push_back(repeat + jitter.Below(kRequestJitter));
    offsets.push_back(kRefreshRoundLength);
    return offsets;
}

namespace {

Ticks AnswerSpread(std::size_t tableRows) {
    return static_cast<Ticks>(std::min<std::size_t>(kMaxAnswerSpread, tableRows / kRowsPerSpreadMillisecond));
}

}  // namespace

Ticks StatusPeriodWait(Jitter& jitter, Ticks period) { return period - jitter.Below(period / 5); }

void AnswerRounds::Heard(Ticks now, Jitter& jitter, std::size_t tableRows, std::string_view request) {
    if (!opened_ || now - openedAt_ >= length_) return Open(now, jitter, tableRows, request);
    if (request == request_ || request == previous_ || booked_ || answers_.StepsLeft() >= 2) return;
    if (answers_.StepsLeft() == 0) return Open(now, jitter, tableRows, request);
    booked_ = true;
    // Spread like a round's second answers: every PC books one at once.
    const Ticks spread = AnswerSpread(tableRows);
    answers_.Append(kAnswerRepeat - spread / 2 + jitter.Below(kAnswerJitter + spread / 2));
    length_ = now - openedAt_ + kAnswerRoundLength;
}

void AnswerRounds::Open(Ticks now, Jitter& jitter, std::size_t tableRows, std::string_view request) {
    opened_ = true;
    openedAt_ = now;
    length_ = kAnswerRoundLength;
    previous_ = std::exchange(request_, std::string(request));
    booked_ = false;
    const Ticks spread = AnswerSpread(tableRows);
    const Ticks first = jitter.Below(spread);
    answers_.Start(now, {first, kAnswerRepeat - spread / 2 + jitter.Below(kAnswerJitter + spread / 2)});
}

}  // namespace pavlune
