#include "saver/back_at_desk.h"

#include <optional>

namespace pavlune {

namespace {
constexpr UINT kLookMilliseconds = 1000;
constexpr UINT kSlowLookMilliseconds = 5000;
// SPI_GETSCREENSAVESECURE, answered from Windows Vista on.
constexpr UINT kGetScreenSaveSecure = 0x0076;

// Empty where the system cannot say (Windows 95 and NT4).
std::optional<bool> SaverRunning() {
    BOOL running = FALSE;
    if (!SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0)) return std::nullopt;
    return running != FALSE;
}
}  // namespace

BackAtDesk::BackAtDesk(UserDialogs& dialogs, std::function<void()> cameBack)
    : cameBack_(std::move(cameBack)), look_(dialogs, [this] { Look(); }) {}

// Looked at only while the sign is up: an idle program wakes for nothing.
// Where neither the flag nor an unlock can end the sign (NT4), none is
// watched. A password saver stops at a bumped mouse and leaves the
// workstation locked; without unlocks to hear, its flag is all there is.
void BackAtDesk::SignStarted(bool unlockHeard, bool passwordOn) {
    const bool flagKnown = SaverRunning().has_value();
    if (!flagKnown && !unlockHeard) return;
    BOOL secure = FALSE;
    if (!SystemParametersInfoA(kGetScreenSaveSecure, 0, &secure, 0)) secure = passwordOn;
    watch_.Started(unlockHeard && (secure || !flagKnown));
    if (flagKnown) look_.Start(kLookMilliseconds);
    else look_.Stop();
}

void BackAtDesk::Look() {
    if (watch_.Look(SaverRunning().value_or(false))) cameBack_();
    if (watch_.Looking()) look_.Start(watch_.LookingSlowly() ? kSlowLookMilliseconds : kLookMilliseconds);
}

void BackAtDesk::Unlocked() {
    if (!watch_.Unlocked()) return;
    look_.Stop();
    cameBack_();
}

}  // namespace pavlune
