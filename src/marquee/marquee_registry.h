// The message saver's settings in the current user's registry key
// "Control Panel\Screen Saver.Marquee", where Pavlune writes the message.
#pragma once

#include "marquee/marquee_settings.h"

namespace pavlune {

// The stored settings; defaults for whatever is missing, not a string or
// malformed, and for all of them when the key is missing.
MarqueeSettings ReadMarqueeSettings();

// Stores every value as a string, creating the key when it is missing.
// False when the key cannot be made or a value is refused.
bool WriteMarqueeSettings(const MarqueeSettings& settings);

}  // namespace pavlune
