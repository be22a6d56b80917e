// The away sign a message puts up, and the user's return from it on the NT
// line, where the saver starts through the system's idle time-out and
// nothing waits for it to end: the saver-running flag is looked at now and
// then, and an unlock of the workstation counts as a return as well.
#pragma once

namespace pavlune {

class AwaySignWatch {
public:
    // The saver has this many looks to come up after the message; one that
    // never ran (the user moved the mouse at once) puts up no sign to end.
    static constexpr int kLooksBeforeSaver = 10;

    // A message has just put the sign up.
    void Started();
    // One look at the saver-running flag. True when the sign has just ended:
    // the saver seen running after the message has stopped.
    bool Look(bool saverRunning);
    // The workstation was unlocked. True when that ends a sign that was up.
    bool Unlocked();
    // Whether the flag is still worth a look.
    bool Looking() const { return state_ == State::WaitingForSaver || state_ == State::SaverRunning; }

private:
    enum class State {
        None,             // no sign, or it has ended
        WaitingForSaver,  // the message was chosen; the saver is on its way
        SaverRunning,
        AwaitingUnlock,   // the saver never came: only an unlock ends the sign
    };
    State state_ = State::None;
    int looks_ = 0;
};

}  // namespace pavlune
