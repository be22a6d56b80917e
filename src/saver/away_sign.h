// The away sign a message puts up, and the user's return from it on the NT
// line, where the saver starts through the system's idle time-out and
// nothing waits for it to end: the saver-running flag is looked at now and
// then, and an unlock of the workstation counts as a return as well.
#pragma once

namespace pavlune {

class AwaySignWatch {
public:
    // The saver has this many quick looks to come up after the message; a
    // user who kept working for a while before leaving starts it later,
    // which slower looks still see.
    static constexpr int kLooksBeforeSaver = 10;

    // A message has just put the sign up. With unlockOnly (a saver that asks
    // for the password) a stopped saver is no return: a bumped mouse stops
    // it while the workstation stays locked.
    void Started(bool unlockOnly);
    // One look at the saver-running flag. True when the sign has just ended:
    // the saver seen running after the message has stopped.
    bool Look(bool saverRunning);
    // The workstation was locked: from now on only its unlock ends the sign.
    void Locked();
    // The workstation was unlocked. True when that ends a sign that was up.
    bool Unlocked();
    // Whether the flag is still worth a look, and whether only now and then.
    bool Looking() const { return state_ == State::WaitingForSaver || state_ == State::SaverRunning; }
    bool LookingSlowly() const { return state_ == State::WaitingForSaver && looks_ >= kLooksBeforeSaver; }

private:
    enum class State {
        None,             // no sign, or it has ended
        WaitingForSaver,  // the message was chosen; the saver may come
        SaverRunning,
        AwaitingUnlock,   // the saver stopped behind a lock: only the unlock ends the sign
    };
    State state_ = State::None;
    int looks_ = 0;
    bool unlockOnly_ = false;
};

}  // namespace pavlune
