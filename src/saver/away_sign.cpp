#include "saver/away_sign.h"

namespace pavlune {

void AwaySignWatch::Started(bool unlockOnly) {
    state_ = State::WaitingForSaver;
    looks_ = 0;
    unlockOnly_ = unlockOnly;
}

bool AwaySignWatch::Look(bool saverRunning) {
    switch (state_) {
        case State::WaitingForSaver:
            if (saverRunning) state_ = State::SaverRunning;
            else if (looks_ < kLooksBeforeSaver) ++looks_;
            return false;
        case State::SaverRunning:
            if (saverRunning) return false;
            state_ = unlockOnly_ ? State::AwaitingUnlock : State::None;
            return !unlockOnly_;
        case State::None:
        case State::AwaitingUnlock:
            return false;
    }
    return false;
}

// A lock with no sign up is forgotten at the next message.
void AwaySignWatch::Locked() { unlockOnly_ = true; }

bool AwaySignWatch::Unlocked() {
    const bool up = state_ != State::None;
    state_ = State::None;
    return up;
}

}  // namespace pavlune
