#include "saver/away_sign.h"

namespace pavlune {

void AwaySignWatch::Started() {
    state_ = State::WaitingForSaver;
    looks_ = 0;
}

bool AwaySignWatch::Look(bool saverRunning) {
    switch (state_) {
        case State::WaitingForSaver:
            if (saverRunning) state_ = State::SaverRunning;
            else if (++looks_ >= kLooksBeforeSaver) state_ = State::AwaitingUnlock;
            return false;
        case State::SaverRunning:
            if (saverRunning) return false;
            state_ = State::None;
            return true;
        case State::None:
        case State::AwaitingUnlock:
            return false;
    }
    return false;
}

bool AwaySignWatch::Unlocked() {
    const bool up = state_ != State::None;
    state_ = State::None;
    return up;
}

}  // namespace pavlune
